#include <iostream>

#include "tools/orbcall/factorychain.h"
#include "tools/orbcall/orbcallcommand.h"

int main(int argc, char **argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return orbcall::run(arguments, std::cout, std::cerr, PluginLibrary::executableFolder());
}
