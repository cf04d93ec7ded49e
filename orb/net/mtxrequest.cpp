#include "orb/net/mtxrequest.h"

#include "orb/wire/xmltext.h"

MtxRequest::MtxRequest(const char *serviceName, const char *methodName, std::vector<const MtxObj *> args)
    : m_serviceName(serviceName ? serviceName : ""),
      m_methodName(methodName ? methodName : ""),
      m_args(std::move(args))
{
}

MtxRequest::~MtxRequest() = default;

const char *MtxRequest::getTypeName() const
{
    return "Orb.MtxRequest";
}

const char *MtxRequest::getElementName() const
{
    return "MtxRequest";
}

void MtxRequest::adoptArg(std::unique_ptr<MtxObj> arg)
{
    m_args.push_back(arg.get());
    m_ownedArgs.push_back(std::move(arg));
}

void MtxRequest::freeArgs()
{
    m_args.clear();
    m_ownedArgs.clear();
}

void MtxRequest::write(std::string &out) const
{
    out.clear();
    out += "<pro-req>";
    orb::appendElement(out, "service-name", m_serviceName.view());
    orb::appendElement(out, "method-name", m_methodName.view());
    orb::appendElement(out, "trans-iD", m_transId.view());
    orb::appendElement(out, "session-iD", m_sessionId.view());
    for (const MtxObj *arg : m_args) {
        if (arg == nullptr)
            continue;
        out += "<args xsi-type=\"com.Velmora.Orb.MtxRequest\">";
        arg->toXML(out, "value", 1, 0);
        out += "</args>";
    }
    out += "</pro-req>\r\n\r\n";
}

std::string MtxRequest::frame(std::string_view requestText)
{
    static constexpr std::string_view FrameLine = "Orb.MtxRequest\r\n";
    std::string framed;
    framed.reserve(FrameLine.size() + requestText.size() + 2);
    framed.append(FrameLine).append(requestText).append("\r\n");
    return framed;
}
