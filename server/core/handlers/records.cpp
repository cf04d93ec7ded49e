#include "server/core/handlers/records.h"

#include <algorithm>

namespace records {

std::unique_ptr<MtxArray> array(std::vector<std::unique_ptr<MtxRecord>> rows)
{
    auto list = std::make_unique<MtxArray>();
    list->reserve(rows.size());
    for (auto &row : rows)
        list->append(std::move(row));
    return list;
}

std::unique_ptr<MtxString> text(const std::string &value)
{
    auto response = std::make_unique<MtxString>();
    response->setValue(value);
    return response;
}

void requireText(const std::string &value, const char *messageUtf8)
{
    if (std::all_of(value.begin(), value.end(), [](char c) { return c == ' ' || c == '\t'; }))
        throw Refusal(refusal::BadRequest, messageUtf8);
}

} // namespace records
