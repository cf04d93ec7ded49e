#pragma once

#include <memory>
#include <string>
#include <vector>

#include "orb/wire/mtxobj.h"

// A request as read from the wire; texts are in the code page.
struct OrbRequest
{
    std::string service;
    std::string method;
    std::string session; // the user name of the logged-in caller
    std::string trans;
    std::string peer; // the caller's address as the connection saw it; empty when unknown
    std::vector<std::unique_ptr<MtxObj>> args;
};
