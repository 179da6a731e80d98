#pragma once

#include <QtGlobal>

namespace orvanta {

/// Identifier of a server object.
using TYPE_ID = quint32;

} // namespace orvanta
