// fuzz_seeds FOLDER: writes the seed corpora and dictionaries of the fuzz
// programs into FOLDER/<fuzzer>/ and FOLDER/<fuzzer>.dict. The requests are
// those a client sends for every method the server serves, with the records
// a scratch server holds after its first start; the replies are the ones
// that server gives them; the frames are those the probe panel and the
// report program send. Everything is made by the project's own writers, so
// the seeds follow the code.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "fuzz/scratchserver.h"
#include "orb/net/mtxrequest.h"
#include "orb/profile/profilefile.h"
#include "orb/textframe/textframe.h"
#include "orb/wire/mtxarray.h"
#include "orb/wire/mtxstring.h"
#include "server/core/dispatcher.h"
#include "server/core/handlertable.h"
#include "server/core/schema.h"
#include "server/core/serverstate.h"
#include "server/core/setup/bootstrap.h"
#include "server/storage/storage.h"
#include "services/types/servicetables.h"
#include "services/types/tablefactory.h"

namespace {

namespace fs = std::filesystem;

class Corpus
{
public:
    Corpus(const fs::path &root, const std::string &name) : m_folder(root / name), m_dictionary(root / (name + ".dict"))
    {
        fs::create_directories(m_folder);
    }
    ~Corpus()
    {
        std::ofstream out(m_dictionary, std::ios::binary | std::ios::trunc);
        for (const std::string &token : m_tokens)
            out << '"' << escaped(token) << "\"\n";
    }

    void seed(const std::string &bytes)
    {
        if (!m_written.insert(bytes).second)
            return;
        std::ofstream(m_folder / ("seed-" + std::to_string(m_written.size())), std::ios::binary) << bytes;
    }
    void token(const std::string &text)
    {
        if (!text.empty())
            m_tokens.insert(text);
    }
    // An element name as the tokens an XML text holds it by.
    void element(const std::string &name)
    {
        token("<" + name + ">");
        token("</" + name + ">");
    }

private:
    static std::string escaped(const std::string &token)
    {
        std::string out;
        for (unsigned char c : token) {
            if (c == '"' || c == '\\' || c < 0x20 || c >= 0x7f) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += char(c);
            }
        }
        return out;
    }

    fs::path m_folder;
    fs::path m_dictionary;
    std::set<std::string> m_written;
    std::set<std::string> m_tokens;
};

std::vector<std::span<const HandlerEntry>> handlerTables()
{
    return {elementHandlers(), monitorHandlers(), alertRuleHandlers(), alertLogHandlers(), userHandlers(),
            roleHandlers(), departmentHandlers(), sysLogHandlers(), topologyHandlers(), systemHandlers()};
}

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The stored record whose type the method is named after ("modifyAlertRule":
// AlertRuleObj; the longest name wins), or null when no table holds one.
std::unique_ptr<MtxRecord> recordFor(Storage &storage, const std::string &method)
{
    const TableDefinition *best = nullptr;
    std::size_t bestLength = 0;
    for (const TableDefinition *table : schema::all()) {
        std::string type = table->make()->getElementName();
        if (type.ends_with("Obj"))
            type.resize(type.size() - 3);
        if (type.size() > bestLength && lower(method).find(lower(type)) != std::string::npos) {
            best = table;
            bestLength = type.size();
        }
    }
    if (!best)
        return nullptr;
    auto transaction = storage.begin(false);
    auto rows = storage.select(*best, Filter::all());
    return rows.empty() ? best->make() : std::move(rows.front());
}

// The request and reply corpora: each method with a text argument, with the
// record it is named after, and with that record in an array.
void writeRequests(Corpus &requests, Corpus &replies)
{
    ScratchServer &server = ScratchServer::instance();
    auto send = [&](const HandlerEntry &entry, std::vector<const MtxObj *> args) {
        MtxRequest request(entry.service, entry.method, std::move(args));
        request.setSessionID(setup::AdminName);
        std::string text;
        request.write(text);
        const std::string framed = MtxRequest::frame(text);
        requests.seed(framed);
        server.keepAdminLoggedIn();
        replies.seed(server.dispatcher().handle(framed, ScratchServer::Peer));
    };
    for (const auto &table : handlerTables()) {
        for (const HandlerEntry &entry : table) {
            for (Corpus *corpus : {&requests, &replies}) {
                corpus->token(entry.service);
                corpus->token(entry.method);
            }
            if (entry.access == Access::Login) {
                MtxString name(setup::AdminName), password(ScratchServer::AdminPassword);
                send(entry, {&name, &password});
                continue;
            }
            MtxString any("-1");
            send(entry, {&any});
            if (auto record = recordFor(server.state().storage(), entry.method)) {
                send(entry, {record.get()});
                MtxArray array;
                array.append(record->clone());
                send(entry, {&array});
            }
        }
    }
}

// Every wire type's name and every element a record is written with.
void addWireTokens(Corpus &corpus)
{
    for (const char *token : {"Orb.MtxRequest\r\n", "<pro-req>", "</pro-req>\r\n\r\n\r\n", "<pro-rep>", "</pro-rep>",
                              "<response>", "</response>", "<exception>", "<code>", "<message>", "<session-iD>",
                              "<trans-iD>", "<args xsi-type=\"com.Velmora.Orb.MtxRequest\">", "</args>",
                              "<value xsi-type=\"", "</value>", "&#", "&amp;", "<![CDATA[", "]]>"})
        corpus.token(token);
    for (const TypeMaker &type : domainTypes().types()) {
        corpus.token("xsi-type=\"" + std::string(type.typeName) + "\"");
        const auto object = type.make();
        corpus.element(object->getElementName());
        if (const auto *record = dynamic_cast<const MtxRecord *>(object.get()))
            for (const RecordField &field : record->layout().fields)
                corpus.element(field.element);
    }
}

void writeFrames(Corpus &frames)
{
    const std::string from = "2024-1-2 3:4:5";
    const std::string to = "2030-12-31 23:59:59";
    const std::vector<std::pair<std::string, std::vector<std::string>>> sent = {
        {"DT", {"1", "device", "monitor", "TCP", "tcpcheck", "CheckPort"}},
        {"DL", {"-1", "hostinfo", "listDisks"}},
        {"DL", {"-1", "hostinfo", "listProcesses"}},
        {"DR", {"GetReport", "monitor", "TCP", from, to, "4"}},
        {"DR", {"DeleteReport", "monitor", "TCP", from, to, "4"}},
    };
    for (const auto &[kind, fields] : sent) {
        frames.seed(*textframe::build(kind, fields));
        for (const std::string &field : fields)
            frames.token(field + "$");
    }
    frames.seed("a$b$$c$</end>");
    frames.seed("<return>succeed</end>");
    for (const char *token : {"DT", "DL", "DR", "$", "</end>", "<error>", "9999", "1018"})
        frames.token(token);
}

// A Keelsys.ini as the programs write it, and the tokens of its lines.
void writeProfiles(Corpus &profiles, const fs::path &root)
{
    const fs::path file = root / "Keelsys.ini";
    ProfileFile profile(file.string());
    const std::vector<std::array<const char *, 3>> keys = {
        {"SYS", "mainServerIP", "127.0.0.1"}, {"SYS", "ProServerPort", "8900"}, {"SYS", "DataServerPort", "8902"},
        {"SYSTEMMODULE", "1", "ProbeDesk"},   {"StatView", "ID", "monitor"},     {"StatView", "MonitorType", "12"},
    };
    for (const auto &[section, key, value] : keys) {
        profile.writeString(section, key, value);
        profiles.token("[" + std::string(section) + "]");
        profiles.token(std::string(key) + "=");
    }
    std::ifstream in(file, std::ios::binary);
    profiles.seed(std::string(std::istreambuf_iterator<char>(in), {}));
    fs::remove(file);
    for (const char *token : {"\r\n", "\n", "\r", ";", "\"", "-", " \t"})
        profiles.token(token);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds FOLDER (the seed corpora and dictionaries are written into it)\n";
        return 2;
    }
    const fs::path root = argv[1];
    try {
        Corpus requests(root, "serverrequest_fuzzer");
        Corpus replies(root, "orbreply_fuzzer");
        Corpus frames(root, "textframe_fuzzer");
        Corpus profiles(root, "profilefile_fuzzer");
        addWireTokens(requests);
        addWireTokens(replies);
        writeRequests(requests, replies);
        writeFrames(frames);
        writeProfiles(profiles, root);
    } catch (const std::exception &failure) {
        std::cerr << "fuzz_seeds: cannot write the seeds into " << root << ": " << failure.what() << "\n";
        return 1;
    }
    return 0;
}
