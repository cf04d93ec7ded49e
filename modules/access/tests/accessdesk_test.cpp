// AccessDesk in the host against the in-process reference server (demo
// data): each window's commands, checked against what the server then holds.

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QTableView>
#include <QTreeView>

#include "frame/localtext.h"
#include "frame/promainframe.h"
#include "host/passworddialog.h"
#include "modules/access/departmentdialog.h"
#include "modules/access/departmentdoc.h"
#include "modules/access/departmentframe.h"
#include "modules/access/roledoc.h"
#include "modules/access/roleframe.h"
#include "modules/access/securitymodule.h"
#include "modules/access/syslogdoc.h"
#include "modules/access/syslogframe.h"
#include "modules/access/userdialog.h"
#include "modules/access/userdoc.h"
#include "modules/access/userframe.h"
#include "orb/wire/mtxarray.h"
#include <sqlite3.h>

#include "orb/net/orbclient.h"
#include "services/types/departmentobj.h"
#include "services/types/roleobj.h"
#include "services/types/tablefactory.h"
#include "services/types/userobj.h"
#include "testsupport/modaloperator.h"
#include "testsupport/referenceserver.h"
#include "testsupport/tempfolder.h"
#include "testsupport/testclient.h"
#include "testsupport/testhostapp.h"

namespace {

class AccessDeskTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start()) << m_server.error();
        const QDir bin(qEnvironmentVariable("KEEL_BIN_DIR"));
        const QString module = bin.filePath(QStringLiteral("libAccessDesk.so"));
        WriteKeelsysIni(QStringLiteral("[SYS]\nmainServerIP=127.0.0.1\nmainServerPort=%1\ndomainPort=%1\n"
                                       "[SYSTEMSERVICE]\nserviceCount=1\nservice0.name=SecurityService\n"
                                       "service0.DLLname=%2\n"
                                       "[SYSTEMMODULE]\nmoduleCount=4\nmodule0.name=Department\nmodule0.DLLname=%3\n"
                                       "module1.name=Role\nmodule2.name=User\nmodule3.name=SysLog\n")
                            .arg(m_server.port())
                            .arg(bin.filePath(QStringLiteral("libAccessSvc.so")), module));
        m_app.LinkModule(module, [] { return std::make_unique<CSecurityModule>(); });
    }

    void LogIn(const char *user, const char *password)
    {
        m_app.SetCredentials(QString::fromLatin1(user), QString::fromUtf8(password), QStringLiteral("cn"));
        ASSERT_TRUE(m_app.InitInstance()) << m_app.messages.join(QLatin1Char('|')).toStdString();
    }

    // The messages shown, less the main frame's about its missing background picture.
    QStringList Said() const
    {
        QStringList said = m_app.messages;
        said.removeIf([](const QString &text) { return text.contains(QLatin1String("Keelmon.bmp")); });
        return said;
    }

    template <class Frame>
    Frame *Open(const char *name)
    {
        m_app.OpenModule(QString::fromLatin1(name));
        return qobject_cast<Frame *>(m_app.GetMainFrame()->ActiveChildFrame());
    }

    // The server's view, read as admin from a client of its own.
    TestClient &Admin()
    {
        if (!m_admin) {
            m_admin = std::make_unique<TestClient>(m_server.port(), m_server.discoveryPort());
            EXPECT_TRUE(m_admin->login("admin", ReferenceServer::AdminPassword).succeeded());
        }
        return *m_admin;
    }
    // A trigger in the server's database, by which a test makes it refuse a write.
    void AddTrigger(const char *sql)
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(m_server.server().options().database.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    bool StoredUser(const char *login, UserObj &user)
    {
        return Admin().callText("SecurityService", "selectUser", {login}, &user).succeeded();
    }
    QStringList StoredCodes(const QString &role)
    {
        MtxArray rows;
        rows.setFactory(&domainFactory());
        EXPECT_TRUE(Admin().callText("SecurityService", "selectRoleArray", {toLocal(role)}, &rows).succeeded());
        QStringList codes;
        for (const auto &item : rows)
            codes << fromLocal(static_cast<const RoleObj &>(*item).get(RoleObj::Code));
        codes.sort();
        return codes;
    }
    QString OperatorDepartment()
    {
        UserObj op;
        EXPECT_TRUE(StoredUser("operator", op));
        return fromLocal(op.get(UserObj::DepartmentID));
    }

    ReferenceServer m_server;
    WorkingDirectory m_dir;
    TestHostApp m_app;
    std::unique_ptr<TestClient> m_admin;
};

// Answers every dialog with fill, then OK; counts them.
template <class Dialog>
std::function<int(QDialog &)> Answer(std::function<void(Dialog &)> fill, int *shown = nullptr)
{
    return [fill, shown](QDialog &dialog) {
        if (shown)
            ++*shown;
        if (auto *typed = qobject_cast<Dialog *>(&dialog))
            fill(*typed);
        dialog.accept();
        return dialog.result();
    };
}

} // namespace

TEST_F(AccessDeskTest, UserWindowAddsModifiesAndDeletesUsersOnTheServer)
{
    LogIn("admin", ReferenceServer::AdminPassword);
    auto *frame = Open<CUserFrame>("User");
    ASSERT_NE(frame, nullptr);
    CUserDoc *doc = frame->Document();
    EXPECT_FALSE(frame->Command(CUserFrame::New)->isEnabled()) << "no department chosen yet";
    const QString department = OperatorDepartment();
    frame->ChooseDepartment(doc->Departments().FindId(department));
    ASSERT_EQ(doc->Users().rowCount(), 1);
    EXPECT_EQ(doc->Users().index(0, 0).data().toString(), QStringLiteral("operator"));
    EXPECT_EQ(doc->Users().index(0, 3).data().toString(), QStringLiteral("运维部"));
    EXPECT_TRUE(frame->Command(CUserFrame::New)->isEnabled());

    // A Chinese login name is refused before anything is sent; then a good one.
    doc->SetDialogRunner(Answer<CUserDialog>([](CUserDialog &dialog) {
        dialog.NameEdit()->setText(QStringLiteral("李四"));
        dialog.LoginEdit()->setText(QStringLiteral("李四"));
        dialog.PasswordEdit()->setText(QStringLiteral("pw"));
        EXPECT_FALSE(dialog.Check());
        dialog.LoginEdit()->setText(QStringLiteral("lisi"));
        dialog.PasswordEdit()->setText(QStringLiteral("密码pw"));
        dialog.RoleBox()->setCurrentText(QStringLiteral("值班员"));
    }));
    ASSERT_TRUE(doc->NewUser(frame));
    EXPECT_EQ(Said(), QStringList{QStringLiteral("用户名不能包含汉字")});
    UserObj stored;
    ASSERT_TRUE(StoredUser("lisi", stored));
    EXPECT_EQ(fromLocal(stored.get(UserObj::DepartmentID)), department);
    EXPECT_TRUE(TestClient(m_server.port(), m_server.discoveryPort()).login("lisi", toLocal(QStringLiteral("密码pw"))).succeeded())
        << "the scrambled password logs in";

    // Modify: the restored password is shown masked; the department stays the
    // user's own even with another chosen; a taken login name is refused.
    m_app.messages.clear();
    doc->SetDialogRunner(Answer<CUserDialog>([](CUserDialog &dialog) {
        EXPECT_EQ(dialog.PasswordEdit()->text(), QStringLiteral("密码pw"));
        EXPECT_EQ(dialog.PasswordEdit()->echoMode(), QLineEdit::Password);
        dialog.LoginEdit()->setText(QStringLiteral("operator"));
        EXPECT_FALSE(dialog.Check());
        dialog.LoginEdit()->setText(QStringLiteral("lisi2"));
        dialog.NameEdit()->setText(QStringLiteral("李四二"));
    }));
    ASSERT_TRUE(doc->ModifyUser(1, frame));
    EXPECT_EQ(Said(), QStringList{QStringLiteral("用户名重复!")});
    EXPECT_FALSE(StoredUser("lisi", stored));
    ASSERT_TRUE(StoredUser("lisi2", stored));
    EXPECT_EQ(fromLocal(stored.get(UserObj::AllName)), QStringLiteral("李四二"));
    EXPECT_EQ(doc->Users().index(1, 0).data().toString(), QStringLiteral("lisi2"));

    m_app.answer = true;
    ASSERT_TRUE(doc->DeleteUser(1));
    EXPECT_FALSE(StoredUser("lisi2", stored));
    EXPECT_EQ(doc->Users().rowCount(), 1);
}

TEST_F(AccessDeskTest, AModifiedUserWhoseAddIsRefusedIsPutBack)
{
    LogIn("admin", ReferenceServer::AdminPassword);
    auto *frame = Open<CUserFrame>("User");
    ASSERT_NE(frame, nullptr);
    UserObj old;
    ASSERT_TRUE(StoredUser("operator", old));
    UserObj updated = old;
    updated.set(UserObj::DepartmentID, "no-such-department");
    EXPECT_FALSE(frame->Document()->ReplaceUser(old, updated));
    ASSERT_EQ(Said().size(), 1);
    EXPECT_TRUE(Said().first().contains(QStringLiteral("已恢复原来的用户记录"))) << Said().first().toStdString();
    UserObj back;
    ASSERT_TRUE(StoredUser("operator", back));
    EXPECT_TRUE(back == old) << "the exact record, password and key included";
    EXPECT_TRUE(TestClient(m_server.port(), m_server.discoveryPort()).login("operator", "operator").succeeded());

    m_app.messages.clear();
    UserObj ghost = old;
    ghost.set(UserObj::LoginName, "ghost");
    EXPECT_FALSE(frame->Document()->ReplaceUser(ghost, ghost)) << "a failing delete stops before the add";
    EXPECT_FALSE(StoredUser("ghost", back));
}

TEST_F(AccessDeskTest, RoleEditorSavesRenamesAndPutsRowsBackWhenTheAddIsRefused)
{
    // The database refuses role rows granting 100301: the add of such a role
    // fails after the old rows were removed.
    AddTrigger("CREATE TRIGGER refuse_log_delete BEFORE INSERT ON \"roles\" WHEN NEW.\"Code\" = '100301' "
               "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
    LogIn("admin", ReferenceServer::AdminPassword);
    auto *frame = Open<CRoleFrame>("Role");
    ASSERT_NE(frame, nullptr);
    EXPECT_FALSE(frame->ListView()->isHeaderHidden());
    EXPECT_EQ(frame->ListView()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("角色名称"));
    CRoleDoc *doc = frame->Document();
    const int duty = doc->Names().stringList().indexOf(QStringLiteral("值班员"));
    ASSERT_GE(duty, 0);
    ASSERT_TRUE(doc->SelectRole(duty));
    const QStringList original = StoredCodes(QStringLiteral("值班员"));
    ASSERT_EQ(original, (QStringList{"1000", "1002", "1003"}));
    auto check = [&](const char *code, Qt::CheckState state) {
        for (QModelIndex parent : {QModelIndex()}) {
            std::function<bool(const QModelIndex &)> walk = [&](const QModelIndex &at) {
                for (int row = 0; row < doc->Modules().rowCount(at); ++row) {
                    const QModelIndex index = doc->Modules().index(row, 0, at);
                    if (index.data(CFunctionModuleModel::CodeRole).toString() == QLatin1String(code))
                        return doc->Modules().setData(index, state, Qt::CheckStateRole);
                    if (walk(index))
                        return true;
                }
                return false;
            };
            return walk(parent);
        }
        return false;
    };

    // Same name: a refused add puts the stored rows back.
    ASSERT_EQ(doc->BeginModify(duty), duty);
    EXPECT_FALSE(frame->Command(CRoleFrame::New)->isEnabled()) << "no new role during an edit";
    EXPECT_TRUE(frame->Command(CRoleFrame::Save)->isEnabled());
    ASSERT_TRUE(check("100301", Qt::Checked));
    EXPECT_FALSE(doc->Save(QStringLiteral("值班员")));
    EXPECT_TRUE(doc->IsEditing()) << "the edit stays open";
    EXPECT_EQ(StoredCodes(QStringLiteral("值班员")), original);
    ASSERT_FALSE(Said().isEmpty());
    EXPECT_TRUE(Said().last().contains(QStringLiteral("已恢复原来的权限"))) << m_app.messages.last().toStdString();

    // A rename whose add is refused changes nothing.
    EXPECT_FALSE(doc->Save(QStringLiteral("监视员")));
    EXPECT_EQ(StoredCodes(QStringLiteral("值班员")), original);
    EXPECT_TRUE(StoredCodes(QStringLiteral("监视员")).isEmpty());

    // Cancel re-applies the stored rows.
    doc->Cancel();
    EXPECT_EQ(doc->Modules().Granted(), (QStringList{"0", "1000", "1002", "1003"}));

    // A good rename: new rows, the users moved, the old rows gone.
    ASSERT_EQ(doc->BeginModify(duty), duty);
    ASSERT_TRUE(check("100201", Qt::Checked));
    ASSERT_TRUE(doc->Save(QStringLiteral("监视员")));
    EXPECT_TRUE(StoredCodes(QStringLiteral("值班员")).isEmpty());
    EXPECT_EQ(StoredCodes(QStringLiteral("监视员")), (QStringList{"0", "1000", "1002", "100201", "1003"}));
    UserObj op;
    ASSERT_TRUE(StoredUser("operator", op));
    EXPECT_EQ(fromLocal(op.get(UserObj::RoleName)), QStringLiteral("监视员"));
    EXPECT_EQ(doc->Names().index(duty).data().toString(), QStringLiteral("监视员"));

    // A new role with nothing checked has no rows; a taken name is refused.
    m_app.messages.clear();
    const int added = doc->BeginNew();
    EXPECT_EQ(doc->Names().index(added).data().toString(), QStringLiteral("新角色"));
    EXPECT_FALSE(doc->Save(QStringLiteral("系统管理员")));
    EXPECT_EQ(Said(), QStringList{QStringLiteral("角色已经存在!")});
    doc->Cancel();
    EXPECT_EQ(doc->Names().rowCount(), added) << "the new row goes with cancel";
}

// A rename whose move of the users is refused takes its new rows back: the
// old role keeps its rows and its users.
TEST_F(AccessDeskTest, RenameWhoseUserMoveIsRefusedChangesNothing)
{
    AddTrigger("CREATE TRIGGER refuse_move BEFORE UPDATE ON \"users\" WHEN NEW.\"RoleName\" = 'Watchers' "
               "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
    LogIn("admin", ReferenceServer::AdminPassword);
    auto *frame = Open<CRoleFrame>("Role");
    ASSERT_NE(frame, nullptr);
    CRoleDoc *doc = frame->Document();
    const int duty = doc->Names().stringList().indexOf(QStringLiteral("值班员"));
    ASSERT_GE(duty, 0);
    ASSERT_TRUE(doc->SelectRole(duty));
    const QStringList original = StoredCodes(QStringLiteral("值班员"));
    ASSERT_EQ(doc->BeginModify(duty), duty);
    EXPECT_FALSE(doc->Save(QStringLiteral("Watchers")));
    EXPECT_TRUE(doc->IsEditing()) << "the edit stays open";
    EXPECT_EQ(StoredCodes(QStringLiteral("值班员")), original);
    EXPECT_TRUE(StoredCodes(QStringLiteral("Watchers")).isEmpty()) << "the new rows are taken back";
    UserObj op;
    ASSERT_TRUE(StoredUser("operator", op));
    EXPECT_EQ(fromLocal(op.get(UserObj::RoleName)), QStringLiteral("值班员"));
    EXPECT_FALSE(Said().isEmpty()) << "the refusal is shown";
}

TEST_F(AccessDeskTest, DepartmentWindowFollowsItsEdits)
{
    LogIn("admin", ReferenceServer::AdminPassword);
    auto *frame = Open<CDepartmentFrame>("Department");
    ASSERT_NE(frame, nullptr);
    CDepartmentDoc *doc = frame->Document();
    const QModelIndex operations = doc->Departments().FindId(OperatorDepartment());
    ASSERT_TRUE(operations.isValid());

    QString madeId;
    doc->SetDialogRunner(Answer<CDepartmentDialog>([&](CDepartmentDialog &dialog) {
        madeId = dialog.IdEdit()->text();
        EXPECT_EQ(dialog.ParentEdit()->text(), OperatorDepartment());
        dialog.NameEdit()->setText(QStringLiteral("网络组"));
        EXPECT_FALSE(dialog.Check()) << "an empty description";
        dialog.DescriptionEdit()->setText(QStringLiteral("交换机与路由"));
    }));
    const QModelIndex made = doc->NewDepartment(operations, frame);
    ASSERT_TRUE(made.isValid());
    EXPECT_EQ(made.parent(), doc->Departments().FindId(OperatorDepartment()));
    EXPECT_EQ(madeId.size(), 36);

    doc->SetDialogRunner(Answer<CDepartmentDialog>([](CDepartmentDialog &dialog) {
        EXPECT_TRUE(dialog.IdEdit()->isReadOnly());
        dialog.NameEdit()->setText(QStringLiteral("网络与安全组"));
    }));
    const QModelIndex renamed = doc->ModifyDepartment(made, frame);
    EXPECT_EQ(renamed.data().toString(), QStringLiteral("网络与安全组"));
    DepartmentObj stored;
    ASSERT_TRUE(Admin().callText("SecurityService", "selectDeptObj", {toLocal(madeId)}, &stored).succeeded());
    EXPECT_EQ(fromLocal(stored.get(DepartmentObj::AllName)), QStringLiteral("网络与安全组"));

    m_app.messages.clear();
    EXPECT_FALSE(doc->DeleteDepartment(doc->Departments().FindId(OperatorDepartment())));
    EXPECT_EQ(Said(), QStringList{QStringLiteral("部门下有子部门，不能删除")});
    EXPECT_TRUE(m_app.questions.isEmpty()) << "nothing asked, nothing sent";
    ASSERT_TRUE(doc->DeleteDepartment(doc->Departments().FindId(madeId)));
    EXPECT_FALSE(doc->Departments().FindId(madeId).isValid());
    EXPECT_FALSE(Admin().callText("SecurityService", "selectDeptObj", {toLocal(madeId)}).succeeded());
}

TEST_F(AccessDeskTest, OperationLogQueriesTheRangeAndDeletesIt)
{
    LogIn("admin", ReferenceServer::AdminPassword);
    auto *frame = Open<CSysLogFrame>("SysLog");
    ASSERT_NE(frame, nullptr);
    CSysLogDoc *doc = frame->Document();
    EXPECT_EQ(CSysLogDoc::DateText(QDate(2004, 3, 7)), QStringLiteral("2004-3-7"));
    EXPECT_GT(frame->EndPicker()->maximumDate(), QDate(2031, 12, 31));
    frame->StartPicker()->setDate(QDate::currentDate().addDays(-400));
    const int before = doc->Records().rowCount();
    ASSERT_GT(before, 3) << "the demo history and today's logins";
    EXPECT_TRUE(frame->Command(CSysLogFrame::Delete)->isEnabled());
    ASSERT_TRUE(doc->DeleteRange());
    EXPECT_EQ(doc->Records().rowCount(), 1) << "queried again: only the delete's own record is left";
}

TEST_F(AccessDeskTest, OperatorGetsOnlyTheWindowsAndCommandsOfTheRole)
{
    LogIn("operator", "operator");
    CProModule *module = m_app.Modules().value(QStringLiteral("Department"));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(module->GetDocName(QStringLiteral("Role")), QString());
    EXPECT_EQ(Said(), QStringList{QStringLiteral("没有此模块权限!")}) << "said at the first refusal";
    EXPECT_EQ(module->GetDocName(QStringLiteral("User")), QStringLiteral("User"));

    auto *frame = Open<CUserFrame>("User");
    ASSERT_NE(frame, nullptr);
    frame->ChooseDepartment(frame->Document()->Departments().FindId(OperatorDepartment()));
    ASSERT_EQ(frame->Document()->Users().rowCount(), 1);
    frame->ListView()->selectRow(0);
    EXPECT_FALSE(frame->Command(CUserFrame::New)->isEnabled());
    EXPECT_FALSE(frame->Command(CUserFrame::Modify)->isEnabled());
    EXPECT_FALSE(frame->Command(CUserFrame::Delete)->isEnabled());
}

TEST_F(AccessDeskTest, ALostServerShowsTheConnectionMessageNotADuplicate)
{
    LogIn("admin", ReferenceServer::AdminPassword);
    auto *frame = Open<CUserFrame>("User");
    ASSERT_NE(frame, nullptr);
    frame->ChooseDepartment(frame->Document()->Departments().FindId(OperatorDepartment()));
    m_server.stop();
    // Quick failures: the call gives up within a second or two.
    OrbClient::Timeouts quick;
    quick.connect = quick.send = quick.receive = quick.discoveryReceive = std::chrono::milliseconds(200);
    quick.call = std::chrono::milliseconds(1000);
    m_app.GetClient()->setTimeouts(quick);
    m_app.messages.clear();
    frame->Document()->SetDialogRunner(Answer<CUserDialog>([](CUserDialog &dialog) {
        dialog.NameEdit()->setText(QStringLiteral("王五"));
        dialog.LoginEdit()->setText(QStringLiteral("wangwu"));
        dialog.PasswordEdit()->setText(QStringLiteral("pw"));
        EXPECT_FALSE(dialog.Check());
        dialog.reject();
    }));
    EXPECT_FALSE(frame->Document()->NewUser(frame));
    EXPECT_FALSE(m_app.messages.contains(QStringLiteral("用户名重复!")));
    EXPECT_FALSE(Said().isEmpty());
}

// "修改登录密码" changes the password on the server too, and keeps the local
// change only when the server took it.
TEST_F(AccessDeskTest, PasswordChangeReachesTheServer)
{
    LogIn("operator", "operator");
    auto change = [&](const char *oldText, const char *newText) {
        ModalOperator hand([&](QWidget *modal) {
            if (auto *dialog = qobject_cast<CPasswordDialog *>(modal)) {
                dialog->oldEdit()->setText(QString::fromLatin1(oldText));
                dialog->newEdit()->setText(QString::fromLatin1(newText));
                dialog->confirmEdit()->setText(QString::fromLatin1(newText));
                dialog->accept();
            }
        });
        return m_app.ChangePassword();
    };
    ASSERT_TRUE(change("operator", "n3w-pw"));
    EXPECT_EQ(m_app.GetPassword(), QStringLiteral("n3w-pw"));
    EXPECT_TRUE(TestClient(m_server.port(), m_server.discoveryPort()).login("operator", "n3w-pw").succeeded())
        << "the next login takes the new password";

    // Changed elsewhere meanwhile: the server refuses, the local password stays.
    TestClient elsewhere(m_server.port(), m_server.discoveryPort());
    ASSERT_TRUE(elsewhere.login("operator", "n3w-pw").succeeded());
    ASSERT_TRUE(elsewhere.callText("SecurityService", "changePassword", {"operator", "n3w-pw", "other"}).succeeded());
    m_app.messages.clear();
    EXPECT_FALSE(change("n3w-pw", "third"));
    EXPECT_EQ(m_app.GetPassword(), QStringLiteral("n3w-pw"));
    EXPECT_EQ(Said(), QStringList{QStringLiteral("旧密码不正确，请重新输入！")});
}
