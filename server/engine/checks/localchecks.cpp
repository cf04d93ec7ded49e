// Figures of this machine from /proc and statvfs.
#include <arpa/inet.h>
#include <dirent.h>
#include <net/if.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include "server/engine/checks/checks.h"

namespace checks {
namespace {

bool isThisMachine(const CheckInput &input)
{
    std::string host = input.param("HostName");
    in_addr address{};
    return host.empty() || host == "localhost"
           || (::inet_pton(AF_INET, host.c_str(), &address) == 1 && CheckScope::isLoopback(address));
}

CheckResult notLocal(const CheckInput &input)
{
    return CheckResult::failed("only this machine's figures can be read here; HostName \"" + input.param("HostName")
                               + "\" is not a loopback address");
}

std::string percent(double value)
{
    return std::to_string(int(std::clamp(value, 0.0, 100.0) + 0.5));
}

struct CpuSample
{
    unsigned long long busy = 0, total = 0;
};

bool readCpu(CpuSample &sample)
{
    std::ifstream stat("/proc/stat");
    std::string label;
    unsigned long long user, nice, system, idle, iowait = 0, irq = 0, softirq = 0, steal = 0;
    if (!(stat >> label >> user >> nice >> system >> idle) || label != "cpu")
        return false;
    stat >> iowait >> irq >> softirq >> steal;
    sample.busy = user + nice + system + irq + softirq + steal;
    sample.total = sample.busy + idle + iowait;
    return true;
}

std::string commandName(const std::string &pid)
{
    std::ifstream comm("/proc/" + pid + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

template <class Visit>
void forEachProcess(Visit visit)
{
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return;
    while (dirent *entry = ::readdir(proc)) {
        std::string name = entry->d_name;
        if (!name.empty() && std::all_of(name.begin(), name.end(), ::isdigit))
            visit(commandName(name));
    }
    ::closedir(proc);
}

struct InterfaceLine
{
    std::string name;
    unsigned long long in = 0, out = 0;
};

std::vector<InterfaceLine> readInterfaces()
{
    std::vector<InterfaceLine> lines;
    std::ifstream dev("/proc/net/dev");
    std::string line;
    while (std::getline(dev, line)) {
        std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        InterfaceLine entry;
        entry.name = line.substr(0, colon);
        entry.name.erase(0, entry.name.find_first_not_of(' '));
        std::istringstream numbers(line.substr(colon + 1));
        unsigned long long skip;
        numbers >> entry.in;
        for (int i = 0; i < 7; ++i)
            numbers >> skip;
        numbers >> entry.out;
        lines.push_back(entry);
    }
    return lines;
}

} // namespace

CheckResult cpuUsage(const CheckInput &input)
{
    if (!isThisMachine(input))
        return notLocal(input);
    // The usage since the previous check; the first check takes a short sample.
    static std::mutex lock;
    static CpuSample previous;
    std::lock_guard hold(lock);
    CpuSample now;
    if (previous.total == 0) {
        if (!readCpu(previous))
            return CheckResult::failed("cannot read /proc/stat");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (!readCpu(now))
        return CheckResult::failed("cannot read /proc/stat");
    double usage = now.total > previous.total
                       ? 100.0 * double(now.busy - previous.busy) / double(now.total - previous.total)
                       : 0.0;
    if (now.total > previous.total)
        previous = now;
    return CheckResult::ok({percent(usage)});
}

CheckResult memoryUsage(const CheckInput &input)
{
    if (!isThisMachine(input))
        return notLocal(input);
    std::ifstream meminfo("/proc/meminfo");
    std::string key, unit;
    unsigned long long value, total = 0, available = 0;
    while (meminfo >> key >> value) {
        std::getline(meminfo, unit);
        if (key == "MemTotal:")
            total = value;
        else if (key == "MemAvailable:")
            available = value;
    }
    if (total == 0)
        return CheckResult::failed("cannot read /proc/meminfo");
    return CheckResult::ok({percent(100.0 * double(total - std::min(available, total)) / double(total))});
}

CheckResult diskSpace(const CheckInput &input)
{
    if (!isThisMachine(input))
        return notLocal(input);
    std::string drive = input.param("Drive", "/");
    struct statvfs info {};
    if (::statvfs(drive.c_str(), &info) != 0 || info.f_blocks == 0)
        return CheckResult::failed("cannot read the space of \"" + drive + "\": no such mounted file system");
    return CheckResult::ok({percent(100.0 * double(info.f_bavail) / double(info.f_blocks))});
}

CheckResult processCount(const CheckInput &input)
{
    if (!isThisMachine(input))
        return notLocal(input);
    std::string wanted = input.param("ProcessName");
    if (wanted.empty())
        return CheckResult::failed("the monitor names no process (parameter ProcessName)");
    int count = 0;
    forEachProcess([&](const std::string &name) { count += name == wanted; });
    return CheckResult::ok({std::to_string(count)});
}

CheckResult interfaceTraffic(const CheckInput &input)
{
    if (!isThisMachine(input))
        return notLocal(input);
    std::string wanted = input.param("Interface", "lo");
    // An index (as network devices number their interfaces) or a name.
    char byIndex[IF_NAMESIZE] = {};
    int index = input.intParam("Interface", 0);
    if (index > 0 && ::if_indextoname(unsigned(index), byIndex))
        wanted = byIndex;
    for (const InterfaceLine &line : readInterfaces())
        if (line.name == wanted)
            return CheckResult::ok({std::to_string(line.in), std::to_string(line.out)});
    return CheckResult::failed("no network interface \"" + wanted + "\" on this machine");
}

std::vector<std::string> mountPoints()
{
    std::vector<std::string> points;
    std::ifstream mounts("/proc/mounts");
    std::string device, point, type, rest;
    static const std::set<std::string> virtualTypes = {"proc", "sysfs", "cgroup", "cgroup2", "devpts", "mqueue",
                                                       "securityfs", "debugfs", "tracefs", "pstore", "bpf"};
    while (mounts >> device >> point >> type && std::getline(mounts, rest))
        if (!virtualTypes.count(type) && std::find(points.begin(), points.end(), point) == points.end())
            points.push_back(point);
    return points;
}

std::vector<std::string> processNames()
{
    std::set<std::string> names;
    forEachProcess([&](const std::string &name) {
        if (!name.empty())
            names.insert(name);
    });
    return {names.begin(), names.end()};
}

std::vector<std::string> interfaceNames()
{
    std::vector<std::string> names;
    for (const InterfaceLine &line : readInterfaces())
        names.push_back(line.name);
    return names;
}

} // namespace checks
