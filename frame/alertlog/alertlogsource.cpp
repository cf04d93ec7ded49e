#include "frame/alertlog/alertlogsource.h"

CAlertLogSource::~CAlertLogSource() = default;
