#include "session.h"

#include <cstdio>

#include "platform/base/hresult.h"
#include "platform/codepage/utf.h"
#include "platform/com/bstr.h"
#include "platform/com/dispatch_call.h"
#include "message_id.h"

namespace velsor::bridge {
namespace {

using nlohmann::json;

std::string Dump(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

VARIANT ToVariant(const json& value) {
  VARIANT variant;
  VariantInit(&variant);
  if (value.is_string()) {
    const std::u16string text = codepage::Utf8ToUtf16(value.get_ref<const std::string&>());
    variant.vt = VT_BSTR;
    variant.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  } else if (value.is_boolean()) {
    variant.vt = VT_BOOL;
    variant.boolVal = value.get<bool>() ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (value.is_number()) {
    variant.vt = VT_R8;
    variant.dblVal = value.get<double>();
  }
  return variant;
}

json FromVariant(const VARIANT& value) {
  switch (value.vt) {
    case VT_BSTR:
      return codepage::Utf16ToUtf8(BstrView(value.bstrVal));
    case VT_BOOL:
      return value.boolVal != VARIANT_FALSE;
    case VT_I2:
      return value.iVal;
    case VT_I4:
    case VT_INT:
      return value.lVal;
    case VT_UI4:
    case VT_UINT:
      return value.ulVal;
    case VT_R8:
      return value.dblVal;
    default:
      return nullptr;
  }
}

WORD FlagsFor(Access access) {
  switch (access) {
    case Access::Get:
      return DISPATCH_PROPERTYGET;
    case Access::Put:
      return DISPATCH_PROPERTYPUT;
    case Access::Call:
      break;
  }
  return DISPATCH_METHOD;
}

json Failed(const json& id, std::string_view text) { return {{"id", id}, {"failed", text}}; }

}  // namespace

json Refusal(const json& id, std::string_view text) { return {{"id", id}, {"refused", text}}; }

Session::Session(SessionSettings settings) : settings_(std::move(settings)) {}
Session::~Session() = default;

std::vector<std::string> Session::Frames(const json& reply) {
  return SplitIntoFrames(Dump(reply), UsableId(reply.value("id", json())), settings_.frameLimit);
}

std::vector<std::string> Session::RefuseOversized(std::uint64_t length, std::string_view head) {
  return Frames(Refusal(ReadableId(head), TooBigRefusal(length)));
}

std::vector<std::string> Session::Answer(std::string_view frame) {
  auto message = ParseJson(frame);
  if (!message) {
    return Frames(Refusal(ReadableId(frame),
                          "the message is not UTF-8 JSON (does a text hold half a character?)"));
  }
  std::optional<json> pieceOrigin;
  if (IsPiece(*message)) {
    const json id = UsableId(message->value("id", json()));
    if (id.is_null()) {
      return Frames(Refusal(nullptr, "a piece's id must be an integer or a string of at most " +
                                         std::to_string(kMaxIdLength) + " bytes"));
    }
    pieceOrigin = message->value("origin", json());
    PieceJoiner::Outcome joined = joiner_.Add(*message);
    if (!joined.refusal.empty()) return Frames(Refusal(id, joined.refusal));
    if (!joined.whole) return {};
    const std::string whole = std::move(*joined.whole);
    message = ParseJson(whole);
    if (!message) {
      return Frames(Refusal(id, "the joined message is not UTF-8 JSON (does a text hold half a "
                                "character?)"));
    }
  }
  ParsedRequest parsed = ParseRequest(std::move(*message));
  if (!parsed.request) return Frames(Refusal(parsed.id, parsed.refusal));
  // The extension names the origin on every piece; the joined text must agree with it.
  if (pieceOrigin && *pieceOrigin != json(parsed.request->origin)) {
    return Frames(
        Refusal(parsed.id, "the pieces and the request they join name different origins"));
  }
  return Frames(Serve(*parsed.request));
}

std::string Session::Admit(const Origin& origin) {
  // The first request names the connection's page; the browser never moves a port.
  if (!origin_) origin_ = origin;
  if (!(*origin_ == origin)) {
    return "this connection serves " + origin_->Text() + "; " + origin.Text() +
           " must open its own";
  }
  if (const std::string why = WhyNeverServed(origin); !why.empty()) {
    return origin.Text() + " may not use the control: " + why;
  }
  switch (settings_.decide(origin)) {
    case Decision::Allowed:
      break;
    case Decision::Denied:
      return "you denied " + origin.Text() +
             " the use of your certificates; to allow it, run: velsor bridge allow " +
             origin.Text();
    case Decision::Unknown:
      return origin.Text() +
             " is not allowed to use your certificates; to allow it, run: velsor bridge allow " +
             origin.Text();
  }
  if (control_) return {};
  if (settings_.announceOrigin) settings_.announceOrigin(origin);
  auto activated = CreateDispatchObject(settings_.progId);
  if (!activated) {
    return "the control cannot be made (" + Hex(activated.code()) + ": " +
           activated.error().detail + "); is it registered? run: velsor-regsvr MODULE";
  }
  control_ = std::move(*activated);
  guarded_.serverMode = IdOf(kServerModeMember).value_or(DISPID_UNKNOWN);
  for (std::size_t i = 0; i < kFileMembers.size(); ++i) {
    guarded_.fileMembers[i] = IdOf(kFileMembers[i]).value_or(DISPID_UNKNOWN);
  }
  return {};
}

std::optional<DISPID> Session::IdOf(std::string_view member) const {
  return DispatchIdOf(*control_->object.get(), codepage::Utf8ToUtf16(member));
}

json Session::Serve(const Request& request) {
  const ParsedOrigin origin = ParseOrigin(request.origin);
  if (!origin.origin) {
    return Refusal(request.id, "\"" + request.origin.substr(0, 300) +
                                   "\" is not a page origin: " + origin.problem);
  }
  if (std::string refusal = Admit(*origin.origin); !refusal.empty()) {
    return Refusal(request.id, refusal);
  }
  return Invoke(request);
}

json Session::Invoke(const Request& request) {
  const auto member = IdOf(request.member);
  if (!member) return Failed(request.id, "the control has no member named " + request.member);
  if (std::string refusal = PolicyRefusal(guarded_, *member, request.access, request.args);
      !refusal.empty()) {
    return Refusal(request.id, refusal);
  }
  IDispatch& object = *control_->object.get();
  json reply = {{"id", request.id}};
  {
    DispatchCall call;
    for (auto arg = request.args.rbegin(); arg != request.args.rend(); ++arg) {
      call.arguments.push_back(ToVariant(*arg));
    }
    const HRESULT hr = call.Invoke(object, *member, FlagsFor(request.access));
    if (hr != S_OK && hr != S_FALSE) {
      std::string text = request.member + " failed with " + Hex(hr);
      if (call.exception.bstrDescription != nullptr) {
        text += ": " + codepage::Utf16ToUtf8(BstrView(call.exception.bstrDescription));
      }
      return Failed(request.id, text);
    }
    reply["result"] = FromVariant(call.result);
  }
  // The page reads these after every call, as it does in-process.
  for (const char* property : {"errorNum", "errorCode", "errMsg"}) {
    DispatchCall read;
    const auto id = IdOf(property);
    reply[property] = id && read.Invoke(object, *id, DISPATCH_PROPERTYGET) == S_OK
                          ? FromVariant(read.result)
                          : json(nullptr);
  }
  return reply;
}

}  // namespace velsor::bridge
