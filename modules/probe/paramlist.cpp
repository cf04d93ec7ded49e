#include "modules/probe/paramlist.h"

#include "frame/localtext.h"
#include "orb/wire/mtxarray.h"
#include "services/types/paramobj.h"

namespace ParamList {

namespace {

ParamObj *Find(const MtxArray &params, const std::string &name)
{
    for (const auto &item : params)
        if (auto *param = dynamic_cast<ParamObj *>(item.get()); param && param->get(ParamObj::ParamName) == name)
            return param;
    return nullptr;
}

} // namespace

QString Value(const MtxArray &params, const QString &name, bool *found)
{
    const ParamObj *param = Find(params, toLocal(name));
    if (found)
        *found = param != nullptr;
    return param ? fromLocal(param->get(ParamObj::ParamValue)) : QString();
}

bool Set(MtxArray &params, const QString &name, const QString &value)
{
    const std::string localName = toLocal(name);
    const std::string localValue = toLocal(value);
    if (ParamObj *param = Find(params, localName))
        return param->set(ParamObj::ParamValue, localValue);
    auto param = std::make_unique<ParamObj>();
    if (!param->set(ParamObj::ParamName, localName) || !param->set(ParamObj::ParamValue, localValue))
        return false;
    params.append(std::move(param));
    return true;
}

} // namespace ParamList
