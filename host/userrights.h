#pragma once

#include <string>

#include <QString>

#include "orb/wire/keelexport.h"
#include "orb/wire/mtxstatus.h"

class OrbService;

// The logged-in user's account as the server keeps it: the function-module
// rights of their role, and the change of their password.
namespace userrights {

// Whether the role of login holds code: "selectUser" with the own login for
// the role name, then "selectRoleArray" for its rows; codes compared as text.
// False when either cannot be read (or there is no security service).
KEEL_EXPORT bool Holds(OrbService *security, const std::string &login, const QString &code);

enum class PasswordChange { Accepted, Refused, Unsupported };

// "changePassword" with the own login, old and new password (texts in the
// code page). Unsupported when there is no security service or the server
// does not know the method; status holds the server's answer.
KEEL_EXPORT PasswordChange ChangeOnServer(OrbService *security, const std::string &login,
                                          const std::string &oldPassword, const std::string &newPassword,
                                          MtxStatus &status);

} // namespace userrights
