#include "platform/ui/scripted_dialog_host.h"

#include <algorithm>
#include <charconv>
#include <fstream>

#include "platform/base/hex.h"
#include "platform/codepage/utf.h"

namespace velsor::ui {
namespace {

// The chooser window as a list in memory.
class ScriptedChooserWindow final : public ChooserWindow {
 public:
  explicit ScriptedChooserWindow(ShownChooser& shown) : shown_(shown) {}

  void SetCaption(std::u16string_view caption) override { shown_.caption = caption; }
  void SetPrompt(std::u16string_view prompt) override { shown_.prompt = prompt; }
  void SetButtonTexts(std::u16string_view ok, std::u16string_view cancel,
                      std::u16string_view view) override {
    shown_.ok = ok;
    shown_.cancel = cancel;
    shown_.view = view;
  }
  void SetCopyright(std::u16string_view text) override { shown_.copyright = text; }
  void SetColumns(const ChooserRow& headers) override { shown_.columns = headers; }
  void AddRow(const ChooserRow& cells, int itemData) override {
    rows_.push_back({cells, itemData});
  }
  void SortRows(const std::function<bool(int, int)>& less) override {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [&](const Row& a, const Row& b) { return less(a.itemData, b.itemData); });
  }
  std::optional<int> SelectedItemData() const override { return selected_; }
  std::u16string CellText(int itemData, std::size_t column) const override {
    for (const Row& row : rows_) {
      if (row.itemData == itemData && column < kChooserColumns) return row.cells[column];
    }
    return {};
  }
  void ShowMessage(std::u16string_view text, std::u16string_view) override {
    shown_.messages.emplace_back(text);
  }
  void Close() override { closed_ = true; }

  bool closed() const { return closed_; }
  void SelectPosition(int position) {
    selected_.reset();
    if (position >= 0 && static_cast<std::size_t>(position) < rows_.size()) {
      selected_ = rows_[static_cast<std::size_t>(position)].itemData;
    }
  }
  void SelectText(const std::u16string& text) {
    selected_.reset();
    for (const Row& row : rows_) {
      if (std::find(row.cells.begin(), row.cells.end(), text) != row.cells.end()) {
        selected_ = row.itemData;
        return;
      }
    }
  }
  void Record() {
    shown_.rows.clear();
    for (const Row& row : rows_) shown_.rows.push_back(row.cells);
  }

 private:
  struct Row {
    ChooserRow cells;
    int itemData;
  };
  ShownChooser& shown_;
  std::vector<Row> rows_;
  std::optional<int> selected_;
  bool closed_ = false;
};

std::optional<int> NumberAfter(std::string_view line, std::string_view command) {
  if (!line.starts_with(command)) return std::nullopt;
  std::string_view rest = line.substr(command.size());
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  int number = 0;
  auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
  if (error != std::errc{} || end != rest.data() + rest.size()) return std::nullopt;
  return number;
}

}  // namespace

std::string EscapedForRecord(std::string_view field) {
  std::string escaped;
  escaped.reserve(field.size());
  for (const char c : field) {
    switch (c) {
      case '\\': escaped += "\\\\"; break;
      case '\t': escaped += "\\t"; break;
      case '\n': escaped += "\\n"; break;
      case '\r': escaped += "\\r"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          escaped += "\\x";
          AppendHexByte(escaped, static_cast<std::uint8_t>(c), HexCase::Lower);
        } else {
          escaped += c;
        }
    }
  }
  return escaped;
}

ScriptedDialogHost& ScriptedDialogHost::Then(ChooserAction action) {
  actions_.push_back(std::move(action));
  return *this;
}

ScriptedDialogHost& ScriptedDialogHost::SelectText(std::u16string text) {
  ChooserAction action{ChooserAction::Kind::SelectText};
  action.text = std::move(text);
  return Then(std::move(action));
}

ScriptedDialogHost& ScriptedDialogHost::Inspect(std::function<void()> inspect) {
  ChooserAction action{ChooserAction::Kind::Inspect};
  action.inspect = std::move(inspect);
  return Then(std::move(action));
}

ScriptedDialogHost& ScriptedDialogHost::AnswerFileDialog(FileDialogResult answer) {
  fileAnswers_.push_back(std::move(answer));
  return *this;
}

ScriptedDialogHost& ScriptedDialogHost::AnswerConsent(ConsentAnswer answer) {
  consentAnswers_.push_back(answer);
  return *this;
}

ScriptedDialogHost& ScriptedDialogHost::AnswerPin(PinOutcome outcome, std::string pin) {
  pinAnswers_.push_back({outcome, SecretBytes(pin.begin(), pin.end())});
  WipeMemory(pin.data(), pin.size());
  return *this;
}

bool ScriptedDialogHost::LoadScript(std::string_view script) {
  using Kind = ChooserAction::Kind;
  while (!script.empty()) {
    const auto end = script.find('\n');
    std::string_view line = script.substr(0, end);
    script = end == std::string_view::npos ? std::string_view() : script.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    if (auto row = NumberAfter(line, "select ")) {
      SelectRow(*row);
    } else if (line.starts_with("select-text ")) {
      SelectText(codepage::Utf8ToUtf16(line.substr(12)));
    } else if (auto column = NumberAfter(line, "column ")) {
      ClickColumn(*column);
    } else if (line.starts_with("file ")) {
      AnswerFileDialog({DialogOutcome::Done, std::filesystem::path(line.substr(5))});
    } else if (line.starts_with("pin ")) {
      AnswerPin(PinOutcome::Entered, std::string(line.substr(4)));
    } else if (line == "cancel-pin" || line == "no-answer-pin") {
      AnswerPin(line == "cancel-pin" ? PinOutcome::Cancelled : PinOutcome::TimedOut);
    } else if (line == "cancel-file") {
      AnswerFileDialog({DialogOutcome::Cancelled, {}});
    } else if (line == "allow" || line == "deny" || line == "no-answer") {
      AnswerConsent(line == "allow"  ? ConsentAnswer::Allow
                    : line == "deny" ? ConsentAnswer::Deny
                                     : ConsentAnswer::NoAnswer);
    } else if (line == "ok" || line == "cancel" || line == "escape" || line == "close" ||
               line == "view" || line == "double-click") {
      const Kind kind = line == "ok"       ? Kind::ClickOk
                        : line == "cancel" ? Kind::ClickCancel
                        : line == "escape" ? Kind::PressEscape
                        : line == "close"  ? Kind::CloseWindow
                        : line == "view"   ? Kind::ClickView
                                           : Kind::DoubleClick;
      Then({kind});
    } else {
      return false;
    }
  }
  return true;
}

DialogOutcome ScriptedDialogHost::ShowChooser(ChooserHandlers& handlers) {
  using Kind = ChooserAction::Kind;
  ShownChooser& shown = choosers_.emplace_back();
  shown.requesterLine = RequesterLine();
  ScriptedChooserWindow window(shown);
  handlers.OnInitDialog(window);
  while (!window.closed() && !actions_.empty()) {
    ChooserAction action = std::move(actions_.front());
    actions_.pop_front();
    switch (action.kind) {
      case Kind::SelectRow:
        window.SelectPosition(action.number);
        break;
      case Kind::SelectText:
        window.SelectText(action.text);
        break;
      case Kind::ClickOk:
        handlers.OnOk(window);
        break;
      case Kind::ClickCancel:
      case Kind::PressEscape:
      case Kind::CloseWindow:
        handlers.OnCancel(window);
        break;
      case Kind::ClickView:
        handlers.OnView(window);
        break;
      case Kind::ClickColumn:
        if (action.number >= 0 && static_cast<std::size_t>(action.number) < kChooserColumns) {
          handlers.OnColumnClick(window, static_cast<std::size_t>(action.number));
        }
        break;
      case Kind::DoubleClick:
        if (window.SelectedItemData()) handlers.OnDoubleClick(window);
        break;
      case Kind::Inspect:
        window.Record();
        if (action.inspect) action.inspect();
        break;
    }
  }
  shown.closedByHandlers = window.closed();
  if (!window.closed()) handlers.OnCancel(window);
  window.Record();
  Record({u"chooser", shown.requesterLine, shown.caption,
          codepage::AsciiToUtf16(std::to_string(shown.rows.size()))});
  return DialogOutcome::Done;
}

DialogOutcome ScriptedDialogHost::ShowConsent(const ConsentRequest& request) {
  const ConsentAnswer answer =
      consentAnswers_.empty() ? ConsentAnswer::NoAnswer : consentAnswers_.front();
  if (!consentAnswers_.empty()) consentAnswers_.pop_front();
  consents_.push_back({request, RequesterLine(), answer});
  Record({u"confirm", RequesterLine(), request.action, request.certificate,
          answer == ConsentAnswer::Allow  ? u"allow"
          : answer == ConsentAnswer::Deny ? u"deny"
                                          : u"no-answer"});
  return answer == ConsentAnswer::Allow ? DialogOutcome::Done : DialogOutcome::Cancelled;
}

PinAnswer ScriptedDialogHost::ShowPinDialog(const PinRequest& request) {
  PinAnswer answer{PinOutcome::TimedOut, {}};
  if (!pinAnswers_.empty()) {
    answer = std::move(pinAnswers_.front());
    pinAnswers_.pop_front();
  }
  pinDialogs_.push_back({request, PinRequesterLine(), answer.outcome});
  Record({u"pin", PinRequesterLine(), request.token, request.notice,
          answer.outcome == PinOutcome::Entered     ? u"entered"
          : answer.outcome == PinOutcome::Cancelled ? u"cancel"
                                                    : u"no-answer"});
  return answer;
}

void ScriptedDialogHost::Record(std::initializer_list<std::u16string_view> fields) const {
  if (recordFile_.empty()) return;
  std::string line;
  for (const std::u16string_view field : fields) {
    if (!line.empty()) line += '\t';
    line += EscapedForRecord(codepage::Utf16ToUtf8(field));
  }
  std::ofstream(recordFile_, std::ios::app) << line << '\n';
}

FileDialogResult ScriptedDialogHost::AnswerFor(std::u16string_view kind,
                                               const FileDialogRequest& request) {
  fileDialogs_.push_back(request);
  Record({kind, RequesterLine(), request.title});
  if (fileAnswers_.empty()) return {DialogOutcome::Cancelled, {}};
  FileDialogResult answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

FileDialogResult ScriptedDialogHost::ShowOpenFile(const FileDialogRequest& request) {
  return AnswerFor(u"open", request);
}

FileDialogResult ScriptedDialogHost::ShowSaveFile(const FileDialogRequest& request) {
  return AnswerFor(u"save", request);
}

void ScriptedDialogHost::ShowMessageBox(std::u16string_view text, std::u16string_view) {
  messages_.emplace_back(text);
}

bool ScriptedDialogHost::OpenWithViewer(const std::filesystem::path& file) {
  viewed_.push_back(file);
  return true;
}

}  // namespace velsor::ui
