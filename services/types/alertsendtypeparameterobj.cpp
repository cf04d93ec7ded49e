#include "services/types/alertsendtypeparameterobj.h"

AlertSendTypeParameterObj::~AlertSendTypeParameterObj() = default;

const RecordLayout &AlertSendTypeParameterObj::recordLayout()
{
    static const RecordLayout typeLayout{"Orb.AlertSendTypeParameterObj",
                                         "AlertSendTypeParameterObj",
                                         Internal::alertTypeParameterFields()};
    return typeLayout;
}
