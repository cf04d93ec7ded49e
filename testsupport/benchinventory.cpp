#include "testsupport/benchinventory.h"

#include <fstream>
#include <string>

#include <malloc.h>
#include <unistd.h>

#include "server/core/schema.h"
#include "server/storage/storage.h"
#include "services/types/elementobj.h"
#include "services/types/paramobj.h"

int FillBenchInventory(Storage &storage, int groups, int devicesPerGroup, int monitorsPerDevice)
{
    auto transaction = storage.begin(true);
    auto roots = storage.select(schema::elements, Filter::where(ElementObj::PID, "-1"));
    const std::string root = roots.front()->get(ElementObj::ID);
    int added = 0;
    auto add = [&](const std::string &id, const std::string &parent, const char *type) {
        ElementObj element;
        element.set(ElementObj::SEID, root);
        element.set(ElementObj::ID, id);
        element.set(ElementObj::PID, parent);
        element.set(ElementObj::Text, "element " + id);
        element.set(ElementObj::Type, type);
        element.set(ElementObj::LastState, "0");
        element.set(ElementObj::MStatus, "0");
        element.set(ElementObj::AStatus, "0");
        if (std::string_view(type) == "3") {
            element.set(ElementObj::Entity_IpAddress, "127.0.0.7");
            auto param = std::make_unique<ParamObj>();
            param->set(ParamObj::ParamName, "Community");
            param->set(ParamObj::ParamValue, "public");
            element.params().append(std::move(param));
        }
        storage.insert(schema::elements, element);
        ++added;
    };
    for (int g = 0; g < groups; ++g) {
        add(BenchElementId(g), root, "1");
        for (int d = 0; d < devicesPerGroup; ++d) {
            add(BenchElementId(g, d), BenchElementId(g), "3");
            for (int m = 0; m < monitorsPerDevice; ++m)
                add(BenchElementId(g, d, m), BenchElementId(g, d), "5");
        }
    }
    transaction->commit();
    return added;
}

std::string BenchElementId(int group, int device, int monitor)
{
    std::string id = "g" + std::to_string(group);
    if (device >= 0)
        id += "-d" + std::to_string(device);
    if (device >= 0 && monitor >= 0)
        id += "-m" + std::to_string(monitor);
    return id;
}

double ResidentMegabytes()
{
    malloc_trim(0);
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}
