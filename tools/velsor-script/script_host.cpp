#include "script_host.h"

#include <duktape.h>

#include <cstdio>
#include <optional>

#include "dispatch_bridge.h"
#include "js_text.h"
#include "platform/codepage/utf.h"

namespace velsor::script {
namespace {

[[noreturn]] void Fatal(void*, const char* message) {
  std::fprintf(stderr, "velsor-script: fatal: %s\n", message != nullptr ? message : "");
  std::fflush(stderr);
  std::abort();
}

std::string Utf8Of(duk_context* ctx, duk_idx_t index) {
  duk_size_t length = 0;
  const char* text = duk_safe_to_lstring(ctx, index, &length);
  return codepage::Utf16ToUtf8(ScriptToUtf16(std::string_view(text, length)));
}

duk_ret_t Echo(duk_context* ctx) {
  const duk_idx_t count = duk_get_top(ctx);
  for (duk_idx_t i = 0; i < count; ++i) {
    const std::string text = Utf8Of(ctx, i);
    if (i > 0) std::fputc(' ', stdout);
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  std::fputc('\n', stdout);
  return 0;
}

duk_ret_t Argument(duk_context* ctx) {
  const auto& arguments = HostOf(ctx).arguments();
  const duk_int_t index = duk_get_int_default(ctx, 0, -1);
  if (index < 0 || static_cast<std::size_t>(index) >= arguments.size()) {
    return duk_error(ctx, DUK_ERR_RANGE_ERROR, "WScript.Arguments: no argument %d",
                     static_cast<int>(index));
  }
  const std::u16string text = codepage::Utf8ToUtf16(arguments[static_cast<std::size_t>(index)]);
  const std::string internal = Utf16ToScript(text);
  duk_push_lstring(ctx, internal.data(), internal.size());
  return 1;
}

duk_ret_t Quit(duk_context* ctx) {
  HostOf(ctx).RequestQuit(static_cast<int>(duk_get_int_default(ctx, 0, 0)));
  return duk_error(ctx, DUK_ERR_ERROR, "WScript.Quit");
}

void DefineWScript(duk_context* ctx, std::size_t argumentCount) {
  duk_push_object(ctx);
  duk_push_c_function(ctx, Echo, DUK_VARARGS);
  duk_put_prop_string(ctx, -2, "Echo");
  duk_push_c_function(ctx, Argument, 1);
  // Arguments is callable and has a length, as in the Windows script host.
  duk_push_string(ctx, "length");
  duk_push_uint(ctx, static_cast<duk_uint_t>(argumentCount));
  duk_def_prop(ctx, -3, DUK_DEFPROP_HAVE_VALUE | DUK_DEFPROP_FORCE);
  duk_put_prop_string(ctx, -2, "Arguments");
  duk_push_c_function(ctx, Quit, 1);
  duk_put_prop_string(ctx, -2, "Quit");
  duk_put_global_string(ctx, "WScript");
}

}  // namespace

void ScriptHost::HeapDeleter::operator()(duk_hthread* heap) const { duk_destroy_heap(heap); }

ScriptHost::ScriptHost(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {
  heap_.reset(duk_create_heap(nullptr, nullptr, nullptr, this, Fatal));
  if (!heap_) return;
  duk_context* ctx = heap_.get();
  DefineWScript(ctx, arguments_.size());
  DefineActiveXObject(ctx);
}

ScriptHost::~ScriptHost() = default;

std::size_t ScriptHost::Keep(ActivatedObject object) {
  objects_.push_back(std::move(object));
  return objects_.size() - 1;
}

IDispatch* ScriptHost::Object(std::size_t index) const {
  return index < objects_.size() ? objects_[index].object.get() : nullptr;
}

void ScriptHost::Drop(std::size_t index) {
  if (index < objects_.size()) objects_[index].object = ComPtr<IDispatch>();
}

int ScriptHost::Run(const std::string& path, const std::string& source) {
  if (!heap_) {
    std::fprintf(stderr, "velsor-script: no script engine\n");
    return 1;
  }
  duk_context* ctx = heap_.get();
  duk_push_string(ctx, path.c_str());
  duk_int_t failed = duk_pcompile_lstring_filename(ctx, 0, source.data(), source.size());
  if (failed == 0) failed = duk_pcall(ctx, 0);
  std::fflush(stdout);
  if (failed == 0) return 0;
  if (quitCode_) return *quitCode_;
  // The stack trace when the error has one, else its text.
  if (duk_is_error(ctx, -1)) {
    duk_get_prop_string(ctx, -1, "stack");
    if (!duk_is_string(ctx, -1)) {
      duk_pop(ctx);
      duk_dup(ctx, -1);
    }
  } else {
    duk_dup(ctx, -1);
  }
  const std::string message = Utf8Of(ctx, -1);
  std::fprintf(stderr, "%s\n", message.c_str());
  return 1;
}

ScriptHost& HostOf(duk_context* ctx) {
  duk_memory_functions functions{};
  duk_get_memory_functions(ctx, &functions);
  return *static_cast<ScriptHost*>(functions.udata);
}

}  // namespace velsor::script
