#pragma once

#include <QJsonObject>

struct ContextData;

// Takes the service addresses out of a remote configuration reply. Returns false
// (and leaves data untouched) when the reply has no "data" member. Names are matched
// case-sensitively; a later entry with the same name wins; names the reply does not
// carry become empty.
bool applyRemoteConfig(const QJsonObject& reply, ContextData& data);
