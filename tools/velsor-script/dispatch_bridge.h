#pragma once
// `new ActiveXObject(progId)` for scripts: the object is a proxy whose property reads,
// writes and method calls go through GetIDsOfNames and Invoke. Strings cross as BSTR,
// numbers as doubles that the member converts to its integer types, and an absent string
// result reads as "". A call that fails with an HRESULT other than S_FALSE throws.

#include <duktape.h>

namespace velsor::script {

class ScriptHost;

void DefineActiveXObject(duk_context* ctx);
ScriptHost& HostOf(duk_context* ctx);

}  // namespace velsor::script
