// The five service libraries loaded the way the host loads them, through the
// plug-in loader (the API version checked before the factory is called). Each
// service object's factory is checked against the type list the product
// documents for its library.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include "orb/net/orbservice.h"
#include "orb/plugin/pluginlibrary.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxqueryresult.h"
#include "orb/wire/mtxstring.h"
#include "orb/wire/mtxtree.h"
#include "services/tests/wiretest.h"
#include "services/types/elementobj.h"
#include "services/types/monitorobj.h"
#include "services/types/paramobj.h"
#include "services/types/serviceapi.h"
#include "services/types/servicetables.h"
#include "testsupport/referenceserver.h"
#include "testsupport/testclient.h"

using namespace wiretest;

namespace {

const std::vector<std::string> framework = {
    "Orb.MtxObjID",      "Orb.MtxString",        "Orb.MtxStatus",     "Orb.MtxTree",
    "Orb.MtxArray",      "Orb.MtxUserSecurity",  "Orb.MtxUserSession"};
const std::vector<std::string> security = {
    "com.Velmora.Security.DepartmentObj", "com.Velmora.Security.RoleObj",
    "com.Velmora.Security.FunctionModuleObj", "com.Velmora.Security.SysLogObj",
    "com.Velmora.Security.UserObj"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto &part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

struct ExpectedLibrary
{
    const char *library;
    const char *serviceName;
    std::vector<std::string> types; // in the order of comparison
    const char *treeNodeElement;
};

const std::vector<ExpectedLibrary> &expectedLibraries()
{
    static const std::vector<ExpectedLibrary> libraries = {
        {"InventorySvc", "ElementService",
         joined({framework, security,
                 {"Orb.ElementObj", "Orb.ParamObj", "Orb.MonitorObj", "Orb.StateConditionObj",
                  "Orb.MonitorParamItemObj", "Orb.ExpressionParamItemObj"}}),
         "DepartmentObj"},
        {"AlarmSvc", "AlertService",
         joined({framework, security,
                 {"Orb.AlertMonitorObj", "Orb.AlertLogObj", "Orb.AlertRuleObj",
                  "Orb.AlertRuleParameterObj", "Orb.AlertRuleTypeParameterObj",
                  "Orb.AlertSendTypeParameterObj"}}),
         "DepartmentObj"},
        {"AccessSvc", "SecurityService", joined({framework, {"Orb.MtxQueryResult"}, security}),
         "DepartmentObj"},
        {"MapSvc", "TPService",
         joined({framework,
                 {"Orb.MtxQueryResult", "com.Velmora.Security.DepartmentObj", "Orb.TPInfoObj"}}),
         "DepartmentObj"},
        {"CatalogSvc", "SysService",
         {"Orb.MtxQueryResult", "Orb.MtxString", "Orb.MtxTree", "com.Velmora.sys.SysTypeObj",
          "Orb.MtxArray"},
         "SysTypeObj"},
    };
    return libraries;
}

bool takesFactory(const std::string &typeName)
{
    return typeName == "Orb.MtxArray" || typeName == "Orb.MtxQueryResult";
}

// One service library opened through the plug-in loader from the build's bin
// folder, closed when the test is done.
class LoadedLibrary
{
public:
    explicit LoadedLibrary(const char *name)
    {
        const char *binDir = std::getenv("KEEL_BIN_DIR");
        m_library = PluginLibrary::open(name, ServiceInterface, {binDir ? binDir : "."});
    }

    bool loaded() const { return m_library.ready(); }
    const std::string &error() const { return m_library.detail(); }
    const std::string &path() const { return m_library.path(); }
    std::unique_ptr<OrbService> newService() { return m_library.create<OrbService>(); }

private:
    PluginLibrary m_library;
};

class ServiceLibrary : public ::testing::TestWithParam<ExpectedLibrary>
{
protected:
    void SetUp() override
    {
        m_library = std::make_unique<LoadedLibrary>(GetParam().library);
        ASSERT_TRUE(m_library->loaded()) << m_library->path() << ": " << m_library->error();
        m_service = m_library->newService();
        ASSERT_TRUE(m_service) << "GetServiceInstance missing or returned null";
    }
    void TearDown() override
    {
        m_service.reset(); // objects of the library go before the library
        m_library.reset();
    }

    std::unique_ptr<LoadedLibrary> m_library;
    std::unique_ptr<OrbService> m_service;
};

} // namespace

TEST_P(ServiceLibrary, NamesItsService)
{
    EXPECT_STREQ(m_service->getServiceName(), GetParam().serviceName);
    EXPECT_STREQ(m_service->getVersion(), "2.00");
    EXPECT_EQ(m_service->getClient(), nullptr);
}

TEST_P(ServiceLibrary, TableListsTheDocumentedTypesInOrder)
{
    const ServiceTypeTable *table = findServiceTypeTable(GetParam().serviceName);
    ASSERT_TRUE(table);
    EXPECT_STREQ(table->libraryName(), GetParam().library);
    std::vector<std::string> names;
    for (const TypeMaker &maker : table->types())
        names.push_back(maker.typeName);
    EXPECT_EQ(names, GetParam().types);
}

TEST_P(ServiceLibrary, CreatesEveryListedTypeAndAPlainObjectForAnyOther)
{
    const ExpectedLibrary &expected = GetParam();
    for (const std::string &name : expected.types) {
        SCOPED_TRACE(name);
        std::unique_ptr<MtxObj> object = m_service->createObject(name.c_str());
        ASSERT_TRUE(object);
        EXPECT_EQ(object->getTypeName(), name);
        EXPECT_NE(typeid(*object), typeid(MtxObj));
        EXPECT_EQ(object->getFactory(), takesFactory(name) ? m_service.get() : nullptr);
        if (auto *tree = dynamic_cast<MtxTree *>(object.get())) {
            EXPECT_STREQ(tree->node().getElementName(), expected.treeNodeElement);
        }
    }

    std::vector<std::string> others = {"orb.mtxstring", "Orb.MtxString ", "", "Orb.Unknown"};
    for (const ExpectedLibrary &library : expectedLibraries()) {
        for (const std::string &name : library.types) {
            if (std::find(expected.types.begin(), expected.types.end(), name) ==
                expected.types.end())
                others.push_back(name);
        }
    }
    if (expected.serviceName == std::string("SysService")) {
        ASSERT_NE(std::find(others.begin(), others.end(), "Orb.MtxObjID"), others.end());
    }
    for (const std::string &name : others) {
        SCOPED_TRACE(name);
        std::unique_ptr<MtxObj> object = m_service->createObject(name.c_str());
        ASSERT_TRUE(object);
        EXPECT_EQ(typeid(*object), typeid(MtxObj));
        read(*object, "<value>kept text</value>");
        EXPECT_STREQ(object->getName(), "kept text");
    }
    std::unique_ptr<MtxObj> none = m_service->createObject(nullptr);
    ASSERT_TRUE(none);
    EXPECT_EQ(typeid(*none), typeid(MtxObj));
}

TEST_P(ServiceLibrary, ContainersCreateTheirItemsThroughTheService)
{
    const ExpectedLibrary &expected = GetParam();
    std::string items;
    for (const std::string &name : expected.types)
        items += "<item xsi-type=\"" + name + "\"></item>";
    items += "<item xsi-type=\"Orb.Unknown\">plain</item>";

    std::vector<std::string> containers = {"Orb.MtxArray"};
    if (std::find(expected.types.begin(), expected.types.end(), "Orb.MtxQueryResult") !=
        expected.types.end())
        containers.push_back("Orb.MtxQueryResult");
    for (const std::string &container : containers) {
        SCOPED_TRACE(container);
        std::unique_ptr<MtxObj> object = m_service->createObject(container.c_str());
        read(*object, "<value xsi-type=\"" + container + "\">" + items + "</value>");
        auto item = [&](std::size_t index) -> MtxObj * {
            if (auto *array = dynamic_cast<MtxArray *>(object.get()))
                return index < array->size() ? array->at(index) : nullptr;
            auto &result = dynamic_cast<MtxQueryResult &>(*object);
            return index < std::size_t(result.getCount()) ? result.at(index) : nullptr;
        };
        for (std::size_t i = 0; i < expected.types.size(); ++i) {
            ASSERT_TRUE(item(i)) << "item " << i;
            EXPECT_EQ(item(i)->getTypeName(), expected.types[i]);
        }
        MtxObj *unknown = item(expected.types.size());
        ASSERT_TRUE(unknown);
        EXPECT_EQ(typeid(*unknown), typeid(MtxObj));
        EXPECT_STREQ(unknown->getName(), "plain");
    }
}

TEST_P(ServiceLibrary, EveryCallMakesAnIndependentServiceObject)
{
    std::unique_ptr<OrbService> second = m_library->newService();
    ASSERT_TRUE(second);
    ASSERT_NE(second.get(), m_service.get());

    MtxUserSession session;
    session.setUserName("operator");
    session.setSessionKey("k-1");
    m_service->setSession(session);
    EXPECT_STREQ(m_service->getSession().getUserName(), "operator");
    EXPECT_STREQ(m_service->getSessionKey(), "k-1");
    EXPECT_STREQ(second->getSession().getUserName(), "");
    EXPECT_STREQ(second->getSessionKey(), "");

    EXPECT_EQ(m_service->createObject("Orb.MtxArray")->getFactory(), m_service.get());
    EXPECT_EQ(second->createObject("Orb.MtxArray")->getFactory(), second.get());
}

INSTANTIATE_TEST_SUITE_P(AllLibraries, ServiceLibrary, ::testing::ValuesIn(expectedLibraries()),
                         [](const auto &info) { return std::string(info.param.library); });

TEST(InventorySvc, MonitorInAReplyArrayKeepsItsParameterTypes)
{
    LoadedLibrary library("InventorySvc");
    ASSERT_TRUE(library.loaded()) << library.error();
    std::unique_ptr<OrbService> service = library.newService();
    ASSERT_TRUE(service);

    MonitorObj monitor;
    monitor.set(MonitorObj::Id, "m1");
    auto param = std::make_unique<ParamObj>();
    param->set(ParamObj::ParamName, "Port");
    param->set(ParamObj::ParamValue, "8080");
    monitor.params().append(std::move(param));
    const std::string text = "<value xsi-type=\"Orb.MtxArray\">" + write(monitor, "") + "</value>";

    std::unique_ptr<MtxObj> array = service->createObject("Orb.MtxArray");
    read(*array, text);
    auto &items = dynamic_cast<MtxArray &>(*array);
    ASSERT_EQ(items.size(), 1u);
    auto &back = dynamic_cast<MonitorObj &>(*items.at(0));
    ASSERT_EQ(back.params().size(), 1u);
    const auto &backParam = dynamic_cast<const ParamObj &>(*back.params().at(0));
    EXPECT_EQ(backParam.get(ParamObj::ParamValue), "8080");
    EXPECT_EQ(write(*array), text);

    array.reset();
    service.reset();
}

// Select, then update what was read, through InventorySvc against the demo
// server: the records come back with every parameter and condition item,
// although the caller gave them no factory.
TEST(InventorySvc, SelectThenUpdateKeepsParametersAndConditions)
{
    ReferenceServer server;
    ASSERT_TRUE(server.start()) << server.error();
    TestClient client(server.port(), server.discoveryPort());
    ASSERT_TRUE(client.login("admin", ReferenceServer::AdminPassword).succeeded());
    LoadedLibrary library("InventorySvc");
    std::unique_ptr<OrbService> service = library.newService();
    ASSERT_TRUE(service) << library.error();
    service->setClient(&client.client());
    service->setSession(client.session());

    // A device with parameters and one of its monitors.
    MtxTree tree(std::make_unique<ElementObj>());
    const MtxString all("-1");
    ASSERT_TRUE(service->invoke("findElementTree", {&all}, &tree).succeeded());
    std::string deviceId;
    std::function<void(const MtxTree &)> findDevice = [&](const MtxTree &node) {
        const auto &element = static_cast<const ElementObj &>(node.node());
        if (deviceId.empty() && !element.get(ElementObj::Entity_IpAddress).empty())
            deviceId = element.get(ElementObj::ID);
        for (std::size_t i = 0; i < node.childCount(); ++i)
            findDevice(*node.child(i));
    };
    findDevice(tree);
    ASSERT_FALSE(deviceId.empty()) << "the demo has devices with an address";
    const MtxString device(deviceId.c_str());
    MtxArray monitors;
    ASSERT_TRUE(service->invoke("findElementArray", {&device}, &monitors).succeeded());
    ASSERT_GT(monitors.size(), 0u) << "the demo device has monitors";
    const MtxString monitorId(static_cast<const ElementObj &>(*monitors.at(0)).get(ElementObj::ID).c_str());

    ElementObj element;
    ASSERT_TRUE(service->invoke("selectElementObj", {&device}, &element).succeeded());
    ASSERT_GT(element.params().size(), 0u);
    MonitorObj monitor;
    ASSERT_TRUE(service->invoke("selectMonitorObj", {&monitorId}, &monitor).succeeded());
    ASSERT_GT(monitor.params().size(), 0u);
    ASSERT_GT(monitor.condition().errorItems().size(), 0u);
    const std::string elementText = write(element);
    const std::string monitorText = write(monitor);

    ASSERT_TRUE(service->invoke("updateElement", {&element}).succeeded());
    ASSERT_TRUE(service->invoke("updateMonitor", {&monitor}).succeeded());
    ElementObj elementAgain;
    MonitorObj monitorAgain;
    ASSERT_TRUE(service->invoke("selectElementObj", {&device}, &elementAgain).succeeded());
    ASSERT_TRUE(service->invoke("selectMonitorObj", {&monitorId}, &monitorAgain).succeeded());
    EXPECT_EQ(write(elementAgain), elementText);
    EXPECT_EQ(write(monitorAgain), monitorText);

    service.reset(); // the library's objects go before the library
}
