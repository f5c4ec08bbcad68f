#include "files/vcardproperty.h"

#include <algorithm>

void VCardProperty::setParam(const QByteArray &key, const QByteArray &paramValue)
{
    auto it = std::lower_bound(params.begin(), params.end(), key,
                               [](const Parameter &p, const QByteArray &k) { return p.first < k; });
    if (it != params.end() && it->first == key)
        it->second = paramValue;
    else
        params.insert(it, Parameter { key, paramValue });
}

bool VCardProperty::hasParam(QByteArrayView key) const
{
    return std::any_of(params.cbegin(), params.cend(), [key](const Parameter &p) { return p.first == key; });
}

QByteArray VCardProperty::param(QByteArrayView key) const
{
    for (const Parameter &p : params) {
        if (p.first == key)
            return p.second;
    }
    return QByteArray();
}

const QByteArray *VCardProperty::findParamIgnoringCase(QByteArrayView key) const
{
    for (const Parameter &p : params) {
        if (QByteArrayView(p.first).compare(key, Qt::CaseInsensitive) == 0)
            return &p.second;
    }
    return nullptr;
}

QDebug operator<<(QDebug debug, const VCardProperty &property)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << "VCardProperty(" << property.name;
    for (const VCardProperty::Parameter &p : property.params)
        debug << ';' << p.first << '=' << p.second;
    debug << ": " << property.value << ')';
    return debug;
}
