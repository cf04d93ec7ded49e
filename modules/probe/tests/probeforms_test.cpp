// The catalogues read from the sample installation, the forms and dialogs
// built from them, and the commands each kind of node offers.

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "testsupport/recordingapp.h"
#include "modules/probe/controldialog.h"
#include "modules/probe/devicedialog.h"
#include "modules/probe/entitycatalog.h"
#include "modules/probe/groupdialog.h"
#include "modules/probe/monitordialog.h"
#include "modules/probe/monitorlibrary.h"
#include "modules/probe/paramlist.h"
#include "modules/probe/probecommands.h"
#include "modules/probe/propertyform.h"
#include "modules/probe/tests/probetestsupport.h"
#include "orb/wire/mtxtree.h"
#include "services/types/entityobj.h"
#include "services/types/expressionparamitemobj.h"
#include "services/types/monitorobj.h"

namespace {

using Kind = CElementTreeModel::Kind;

TEST(ProbeCatalogues, SampleFilesMatchTheDemoCodes)
{
    SampleInstallation installation;
    const CEntityCatalog catalog;
    EXPECT_EQ(fromLocal(static_cast<const EntityObj &>(catalog.Types().node()).get(EntityObj::Name)),
              QStringLiteral("Velmora网络检测类型"));
    const CMonitorLibrary library;
    for (const char *type : {"2", "3", "4"}) {
        const EntityObj *entity = catalog.FindType(QString::fromLatin1(type));
        ASSERT_NE(entity, nullptr) << type;
        for (const QString &kind : fromLocal(entity->get(EntityObj::AuthenticMonitor)).split(QLatin1Char(',')))
            EXPECT_NE(library.Find(kind), nullptr) << "kind " << kind.toStdString() << " of type " << type;
        EXPECT_FALSE(catalog.Form(QString::fromLatin1(type)).empty()) << type;
    }
    EXPECT_EQ(catalog.FindType(QString()), nullptr) << "a category without a code is no device type";
    EXPECT_EQ(fromLocal(catalog.FindType(QStringLiteral("2"))->get(EntityObj::AuthenticMonitor)),
              QStringLiteral("1,5,7,8,9"));

    const MonitorKind *ping = library.Find(QStringLiteral("1"));
    ASSERT_NE(ping, nullptr);
    EXPECT_EQ(ping->name, QStringLiteral("Ping"));
    EXPECT_EQ(ping->parameters.size(), 3u);
    ASSERT_EQ(ping->returns.size(), 2u);
    EXPECT_EQ(ping->returns[0].name, QStringLiteral("PacketLoss"));
    EXPECT_FALSE(ping->errorDefault.isEmpty());
    EXPECT_EQ(library.Find(QStringLiteral("10")), nullptr) << "kind ids match exactly";

    const auto makers = catalog.Options(QStringLiteral("Maker"));
    ASSERT_GE(makers.size(), 2u);
    EXPECT_EQ(makers[1].value, QStringLiteral("2"));
    EXPECT_EQ(makers[1].text, QStringLiteral("华为"));
}

TEST(ProbeCatalogues, LargeFilesExactIdsAndGbkTrailBytes)
{
    SampleInstallation installation;
    // Past the old 10240- and 102400-byte windows, with a kind "10" before "1"
    // and labels whose GBK bytes hold "[" and "]".
    QString monitors = QStringLiteral("<MonitorLibrary>");
    monitors += QStringLiteral("<Monitor Id=\"10\" Name=\"十\"/>");
    monitors += QStringLiteral("<Monitor Id=\"1\" Name=\"嘯\" Description=\"%1\"><Return>").arg(QString(6000, QLatin1Char('d')));
    for (int i = 0; i < 600; ++i)
        monitors += QStringLiteral("<Item Type=\"int\" Name=\"v%1\" Label=\"嘳值%1\"/>").arg(i);
    monitors += QStringLiteral("</Return></Monitor></MonitorLibrary>");
    installation.Write(QStringLiteral("config/MonitorLibrary.config"), monitors);
    const CMonitorLibrary library;
    const MonitorKind *kind = library.Find(QStringLiteral("1"));
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(kind->name, QStringLiteral("嘯"));
    ASSERT_EQ(kind->returns.size(), 600u);
    EXPECT_EQ(kind->returns[599].label, QStringLiteral("嘳值599"));

    QString forms = QStringLiteral("<configuration><section viewId=\"9\">%1</section>").arg(QString(110000, QLatin1Char(' ')));
    forms += QStringLiteral("<section viewId=\"5\"><Item ShowText=\"名[称]\"><Setting ControlName=\"Lable\" ControlType=\"10\"/></Item>"
                            "</section></configuration>");
    installation.Write(QStringLiteral("config/EntityControl.xml"), forms);
    const CEntityCatalog catalog;
    const auto cells = catalog.Form(QStringLiteral("5"));
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(fromLocal(cells[0].get(CellObj::ShowText)), QStringLiteral("名[称]"));
    EXPECT_EQ(cells[0].get(CellObj::IsDynamicListProperty), "false");
}

TEST(PropertyForm, RowsFollowTheControlCodes)
{
    SampleInstallation installation;
    const CEntityCatalog catalog;
    ElementObj device;
    device.set(ElementObj::Type, "2");
    device.set(ElementObj::Text, toLocal(QStringLiteral("核心路由器")));
    ParamList::Set(device.params(), QStringLiteral("Maker"), QStringLiteral("2"));
    CDeviceDialog dialog(catalog);
    dialog.Load(device);
    CPropertyForm *form = dialog.Form();
    // Lable, IPAddress, Community (password), Maker and Model lists; the
    // "DependScondition" list gets no row.
    ASSERT_EQ(form->RowCount(), 5);
    EXPECT_EQ(form->Edit(QStringLiteral("Lable"))->text(), QStringLiteral("核心路由器"));
    EXPECT_EQ(form->Edit(QStringLiteral("Community"))->echoMode(), QLineEdit::Password);
    ASSERT_NE(form->List(QStringLiteral("Maker")), nullptr);
    EXPECT_EQ(form->List(QStringLiteral("Maker"))->currentText(), QStringLiteral("华为"));
    EXPECT_EQ(form->List(QStringLiteral("DependScondition")), nullptr);
    EXPECT_FALSE(dialog.TypeTree()->isEnabled()) << "a stored device keeps its type";

    // In the monitor dialog a "30" cell is a text field, a dynamic list a
    // drop-down of the probe's entries (none here: it keeps its default).
    CMonitorLibrary library;
    ElementObj router;
    router.set(ElementObj::Type, "2");
    router.set(ElementObj::Text, toLocal(QStringLiteral("核心路由器(127.0.0.1)")));
    router.set(ElementObj::Entity_IpAddress, "127.0.0.1");
    CMonitorDialog monitors(library, catalog, router);
    ASSERT_EQ(monitors.KindTree()->topLevelItem(0)->childCount(), 5);
    EXPECT_FALSE(monitors.ChooseKind(QStringLiteral("2"))) << "CPU is not allowed on a network device";
    ASSERT_TRUE(monitors.ChooseKind(QStringLiteral("7")));
    ASSERT_NE(monitors.Parameters()->List(QStringLiteral("Interface")), nullptr);
    EXPECT_EQ(monitors.Parameters()->List(QStringLiteral("Interface"))->currentData().toString(), QStringLiteral("1"));
    EXPECT_EQ(monitors.Parameters()->Edit(QStringLiteral("HostName"))->text(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(monitors.Parameters()->Edit(QStringLiteral("Community"))->echoMode(), QLineEdit::Password);
}

TEST(DeviceDialog, ReplacesParametersByNameAndKeepsTheOthers)
{
    SampleInstallation installation;
    const CEntityCatalog catalog;
    ElementObj device;
    device.set(ElementObj::Type, "3");
    device.set(ElementObj::Text, "web");
    ParamList::Set(device.params(), QStringLiteral("Community"), QStringLiteral("public"));
    ParamList::Set(device.params(), QStringLiteral("Rack"), QStringLiteral("A1"));
    CDeviceDialog dialog(catalog);
    dialog.Load(device);
    dialog.Form()->Edit(QStringLiteral("Community"))->setText(QStringLiteral("private"));
    dialog.Form()->List(QStringLiteral("OS"))->setCurrentIndex(2);
    ASSERT_EQ(dialog.Store(device), QString());
    EXPECT_EQ(ParamList::Value(device.params(), QStringLiteral("Community")), QStringLiteral("private"));
    EXPECT_EQ(ParamList::Value(device.params(), QStringLiteral("Rack")), QStringLiteral("A1"));
    EXPECT_EQ(ParamList::Value(device.params(), QStringLiteral("OS")), QStringLiteral("3")) << "the option's value is kept";
    ASSERT_EQ(dialog.Store(device), QString());
    EXPECT_EQ(device.params().size(), 5u) << "Community, Rack, OS, User, Password: no duplicates";

    // Too long for the element's Text: refused, nothing changed.
    dialog.Form()->Edit(QStringLiteral("Lable"))->setText(QString(64, QChar(0x540D)));
    const QString message = dialog.Store(device);
    EXPECT_TRUE(message.startsWith(QStringLiteral("设备名称"))) << message.toStdString();
    EXPECT_EQ(device.get(ElementObj::Text), "web");

    CDeviceDialog fresh(catalog);
    EXPECT_FALSE(fresh.ChooseType(QString())) << "a category node cannot be chosen";
    ElementObj added;
    EXPECT_FALSE(fresh.Store(added).isEmpty());
}

TEST(MonitorDialog, KindsAndTypesTheCatalogueDoesNotKnowStayEditable)
{
    SampleInstallation installation;
    const CEntityCatalog catalog;
    const CMonitorLibrary library;
    ElementObj device;
    device.set(ElementObj::Type, "9");
    device.set(ElementObj::Text, "legacy");
    ParamList::Set(device.params(), QStringLiteral("Rack"), QStringLiteral("B2"));
    CDeviceDialog devices(catalog);
    devices.Load(device);
    ASSERT_EQ(devices.Store(device), QString());
    EXPECT_EQ(device.get(ElementObj::Type), "9");
    EXPECT_EQ(device.get(ElementObj::Text), "legacy");

    MonitorObj monitor;
    monitor.set(MonitorObj::MonitorType, "99");
    monitor.set(MonitorObj::Text, "old");
    auto item = std::make_unique<ExpressionParamItemObj>();
    item->set(ExpressionParamItemObj::itemId, "1");
    item->set(ExpressionParamItemObj::paraName, "Latency");
    item->set(ExpressionParamItemObj::Operator, ">");
    item->set(ExpressionParamItemObj::paraValue, "5");
    monitor.condition().errorItems().append(std::move(item));
    monitor.condition().set(StateConditionObj::Error, "1");
    CMonitorDialog dialog(library, catalog, device);
    dialog.Load(monitor);
    EXPECT_EQ(dialog.ConditionBox(CMonitorDialog::Error)->text(), QStringLiteral("[Latency > 5]"));
    ASSERT_EQ(dialog.Store(monitor), QString());
    EXPECT_EQ(monitor.get(MonitorObj::MonitorType), "99") << "kind ids stay text";
    EXPECT_EQ(monitor.condition().errorItems().size(), 1u);
}

// The engine's HTTP and DNS checks read HostName, Port, Path and DnsServer,
// Port, QueryName, and return StatusCode, ResponseTime and Status,
// ResponseTime, Address: the sample kinds 8 and 9 carry exactly those.
TEST(MonitorDialog, HttpAndDnsKindsCarryTheEngineNames)
{
    SampleInstallation installation;
    const CEntityCatalog catalog;
    const CMonitorLibrary library;
    ElementObj server;
    server.set(ElementObj::Type, "3");
    server.set(ElementObj::Text, toLocal(QStringLiteral("Web服务器(127.0.0.3)")));
    server.set(ElementObj::Entity_IpAddress, "127.0.0.3");
    CMonitorDialog dialog(library, catalog, server);
    QTreeWidgetItem *kinds = dialog.KindTree()->topLevelItem(0);
    ASSERT_EQ(kinds->childCount(), 8);
    EXPECT_EQ(kinds->child(6)->text(0), QStringLiteral("HTTP访问"));
    EXPECT_EQ(kinds->child(7)->text(0), QStringLiteral("DNS解析"));

    struct Expected
    {
        const char *kind;
        std::vector<std::pair<const char *, const char *>> params; // name, default shown
        const char *normalName;
        std::vector<const char *> returns;
    };
    const Expected expected[] = {
        {"8", {{"HostName", "127.0.0.3"}, {"Port", "80"}, {"Path", "/"}}, "StatusCode", {"StatusCode", "ResponseTime"}},
        {"9", {{"DnsServer", "127.0.0.3"}, {"Port", "53"}, {"QueryName", "localhost"}}, "Status",
         {"Status", "ResponseTime", "Address"}},
    };
    for (const Expected &each : expected) {
        SCOPED_TRACE(each.kind);
        ASSERT_TRUE(dialog.ChooseKind(QString::fromLatin1(each.kind)));
        ASSERT_EQ(dialog.Parameters()->RowCount(), int(each.params.size()));
        for (const auto &[name, shown] : each.params) {
            ASSERT_NE(dialog.Parameters()->Edit(QString::fromLatin1(name)), nullptr) << name;
            EXPECT_EQ(dialog.Parameters()->Edit(QString::fromLatin1(name))->text(), QString::fromLatin1(shown));
        }
        const MonitorKind *kind = library.Find(QString::fromLatin1(each.kind));
        ASSERT_EQ(kind->returns.size(), each.returns.size());
        for (std::size_t i = 0; i < each.returns.size(); ++i)
            EXPECT_EQ(kind->returns[i].name, QString::fromLatin1(each.returns[i]));

        // The default conditions parse into items on the engine's names.
        MonitorObj monitor;
        ASSERT_EQ(dialog.Store(monitor), QString());
        EXPECT_EQ(monitor.get(MonitorObj::MonitorType), each.kind);
        EXPECT_EQ(ParamList::Value(monitor.params(), QStringLiteral("Port")), QString::fromLatin1(each.params[1].second));
        const auto firstName = [&](StateConditionObj::Field box) {
            const MtxArray &items = std::as_const(monitor).condition().items(box);
            return items.size() == 1 ? static_cast<const ExpressionParamItemObj *>(items.at(0))->get(
                                           ExpressionParamItemObj::paraName)
                                     : std::string("(not one clause)");
        };
        EXPECT_EQ(firstName(StateConditionObj::Normal), each.normalName);
        EXPECT_NE(firstName(StateConditionObj::Warning), "");
        EXPECT_NE(firstName(StateConditionObj::Error), "");
    }
}

TEST(SmallDialogs, GroupTextsAndSchedules)
{
    CGroupDialog group;
    ElementObj element;
    element.set(ElementObj::Text, "old");
    group.NameEdit()->setText(QString(64, QChar(0x540D)));
    EXPECT_FALSE(group.Store(element).isEmpty());
    EXPECT_EQ(element.get(ElementObj::Text), "old");
    group.NameEdit()->setText(QStringLiteral("机房"));
    group.DescriptionEdit()->setText(QStringLiteral("二楼"));
    ASSERT_EQ(group.Store(element), QString());
    EXPECT_EQ(fromLocal(element.get(ElementObj::Monitor_Description)), QStringLiteral("二楼"));

    CControlDialog control(QStringLiteral("控制"));
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    control.Load({QStringLiteral("1"), QString(), QStringLiteral("garbage")});
    EXPECT_GE(control.StartEdit()->dateTime(), before) << "an empty start becomes now";
    EXPECT_GE(control.EndEdit()->dateTime(), before) << "an unreadable end becomes now";
    control.Load({QStringLiteral("3"), QStringLiteral("2026-3-9 8:5:0"), QStringLiteral("2026-3-8 8:5:0")});
    EXPECT_EQ(control.Modes()->checkedId(), 3);
    EXPECT_FALSE(control.Check().isEmpty()) << "a timed mode may not end before it starts";
    control.Modes()->button(2)->setChecked(true);
    EXPECT_EQ(control.Check(), QString());
    const CControlDialog::Schedule schedule = control.Current();
    EXPECT_EQ(schedule.mode, QStringLiteral("2"));
    EXPECT_EQ(schedule.start, QStringLiteral("2026-3-9 8:5:0"));
}

TEST(ProbeCommands, MenusAndCommandsFollowTheKind)
{
    EXPECT_STREQ(ProbeCommand::PopupMenu(Kind::Root).title, "组维护");
    EXPECT_STREQ(ProbeCommand::PopupMenu(Kind::Group).title, "组菜单");
    EXPECT_STREQ(ProbeCommand::PopupMenu(Kind::Device).title, "设备维护");
    for (Kind kind : {Kind::Root, Kind::Group, Kind::Device, Kind::Monitor})
        for (const auto &item : ProbeCommand::PopupMenu(kind).items)
            EXPECT_TRUE(ProbeCommand::Applies(item.command, true, kind)) << item.text;
    for (int command : ProbeCommand::ModuleMenu())
        EXPECT_EQ(ProbeCommand::Applies(command, false, Kind::Root), command == ProbeCommand::Reload) << command;
    EXPECT_FALSE(ProbeCommand::Applies(ProbeCommand::Delete, true, Kind::Root));
    EXPECT_FALSE(ProbeCommand::Applies(ProbeCommand::AddMonitor, true, Kind::Monitor));
}

} // namespace
