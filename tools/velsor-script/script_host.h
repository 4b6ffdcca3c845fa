#pragma once
// Runs a page script the way a page runs it: `new ActiveXObject(progId)` activates a
// registered class, and its members are reached by name through IDispatch; `WScript`
// gives the script its arguments, a way to print and a way to end.

#include <memory>
#include <string>
#include <vector>

#include "platform/com/activation.h"

struct duk_hthread;

namespace velsor::script {

class ScriptHost {
 public:
  explicit ScriptHost(std::vector<std::string> arguments);
  ~ScriptHost();
  ScriptHost(const ScriptHost&) = delete;
  ScriptHost& operator=(const ScriptHost&) = delete;

  // The exit status: 0, the code given to WScript.Quit, or 1 after an uncaught exception
  // (its message on stderr).
  int Run(const std::string& path, const std::string& source);

  // For the native functions.
  const std::vector<std::string>& arguments() const { return arguments_; }
  // Keeps an activated object alive until its script object is collected or the host ends;
  // the index identifies it.
  std::size_t Keep(ActivatedObject object);
  IDispatch* Object(std::size_t index) const;
  void Drop(std::size_t index);
  void RequestQuit(int code) { quitCode_ = code; }

 private:
  struct HeapDeleter {
    void operator()(duk_hthread* heap) const;
  };

  std::vector<std::string> arguments_;
  std::vector<ActivatedObject> objects_;
  std::optional<int> quitCode_;
  // Declared last: the heap goes first, its finalizers still finding the objects.
  std::unique_ptr<duk_hthread, HeapDeleter> heap_;
};

}  // namespace velsor::script
