#include "testsupport/benchserver.h"

#include <stdexcept>

#include "testsupport/benchinventory.h"

BenchServer::BenchServer()
{
    if (!m_server.start())
        throw std::runtime_error(m_server.error());
    FillBenchInventory(m_server.server().storage(), Groups, DevicesPerGroup, MonitorsPerDevice);
}
