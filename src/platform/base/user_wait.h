#pragma once
// Work that holds something other processes may be waiting for (a read lock on the user's
// data, held across a few reads to take it once) lets go of it before this thread waits on
// a person: a dialog can stay open for minutes, and another program's import must not time
// out behind it. The holder says how to let go; every dialog calls BeforeUserWait first.

#include <utility>

namespace velsor {

using LetGo = void (*)();

namespace user_wait_detail {
// One holder a thread: a plain pointer, so that nothing here needs destroying.
inline thread_local LetGo pending = nullptr;
}  // namespace user_wait_detail

// `letGo` runs at this thread's next BeforeUserWait, unless the holder withdraws it first.
inline void LetGoOnUserWait(LetGo letGo) { user_wait_detail::pending = letGo; }
inline void WithdrawLetGo(LetGo letGo) {
  if (user_wait_detail::pending == letGo) user_wait_detail::pending = nullptr;
}

inline void BeforeUserWait() {
  if (LetGo letGo = std::exchange(user_wait_detail::pending, nullptr)) letGo();
}

}  // namespace velsor
