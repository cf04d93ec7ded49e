#include "orb/net/mtxreply.h"

#include <cstring>

#include "orb/wire/mtxstatus.h"
#include "orb/wire/xmltext.h"

MtxReply::MtxReply(MtxStatus *status, MtxObj *response)
    : m_response(response), m_status(status)
{
}

bool MtxReply::decode(std::string_view text)
{
    std::string local(text);
    return decodeInPlace(local);
}

bool MtxReply::decodeInPlace(std::string &local)
{
    pugi::xml_document document;
    if (!orb::parseLocalDocumentInPlace(document, local)) {
        if (m_status != nullptr)
            m_status->set(MtxStatus::ClientExceptionCode, "Server reply is not well-formed XML");
        return false;
    }
    const pugi::xml_node root = document.document_element();
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
        const char *name = child.name();
        if (std::strcmp(name, "service-name") == 0) {
            m_serviceName.assignTruncated(orb::nodeText(child));
        } else if (std::strcmp(name, "method-name") == 0) {
            m_methodName.assignTruncated(orb::nodeText(child));
        } else if (std::strcmp(name, "response") == 0) {
            if (m_response != nullptr)
                m_response->fromReply(child);
        } else if (std::strcmp(name, "exception") == 0) {
            if (m_status != nullptr)
                m_status->fromXML(child);
        }
    }
    return true;
}

void MtxReply::setClientError(const char *serviceName, const char *methodName, std::string_view message)
{
    m_serviceName.assignTruncated(serviceName ? serviceName : "");
    m_methodName.assignTruncated(methodName ? methodName : "");
    if (m_status != nullptr)
        m_status->set(MtxStatus::ClientExceptionCode, message);
}
