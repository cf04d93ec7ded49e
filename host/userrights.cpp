#include "host/userrights.h"

#include <cstring>

#include "frame/servicecall.h"
#include "orb/net/orbservice.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "services/types/roleobj.h"
#include "services/types/userobj.h"

namespace userrights {

bool Holds(OrbService *security, const std::string &login, const QString &code)
{
    if (!security)
        return false;
    UserObj user;
    MtxString name(login.c_str());
    if (!RunServerCall([&] { return security->invoke("selectUser", {&name}, &user); }).succeeded())
        return false;
    MtxString role(user.get(UserObj::RoleName).c_str());
    MtxArray rows;
    if (!RunServerCall([&] { return security->invoke("selectRoleArray", {&role}, &rows); }).succeeded())
        return false;
    const std::string wanted = code.toStdString(); // codes are decimal digits
    for (const auto &item : rows) {
        const auto *row = dynamic_cast<const RoleObj *>(item.get());
        if (row && row->get(RoleObj::Code) == wanted)
            return true;
    }
    return false;
}

PasswordChange ChangeOnServer(OrbService *security, const std::string &login, const std::string &oldPassword,
                              const std::string &newPassword, MtxStatus &status)
{
    if (!security)
        return PasswordChange::Unsupported;
    MtxString name(login.c_str()), before(oldPassword.c_str()), after(newPassword.c_str());
    status = RunServerCall([&] { return security->invoke("changePassword", {&name, &before, &after}); });
    if (status.succeeded())
        return PasswordChange::Accepted;
    return std::strcmp(status.getCode(), "UNKNOWN_METHOD") == 0 ? PasswordChange::Unsupported
                                                                  : PasswordChange::Refused;
}

} // namespace userrights
