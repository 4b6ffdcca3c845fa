#pragma once
// The current user's certificate database: the system stores with their certificates,
// properties and CRLs, and the key containers with their keys.
//
// A control object keeps its connection across its calls in a UserSession: while a
// UserSessionScope on it lives, the thread's stores and containers are opened on that
// connection instead of a new one. Nothing is read ahead or kept between calls but the
// connection itself, so every call still sees what other objects and processes changed.

#include <memory>

#include "platform/base/result.h"

namespace velsor::crypt {

// The user's data, open: opaque above the platform. On POSIX it is the connection to the
// user's database; on Windows the system keeps the stores and there is none (a null one).
class UserData;

inline constexpr char kCertStoreFile[] = "certstore.db";

// The session's connection while a scope is active on this thread, else a new one.
Result<std::shared_ptr<UserData>> OpenUserData();

class UserSession {
 public:
  UserSession();
  ~UserSession();
  UserSession(const UserSession&) = delete;
  UserSession& operator=(const UserSession&) = delete;

  // What the platform keeps, defined by the service's implementation.
  struct Held;
  Held& held() { return *held_; }

 private:
  std::unique_ptr<Held> held_;
};

// Scopes nest: the innermost session serves until its scope ends.
class UserSessionScope {
 public:
  explicit UserSessionScope(UserSession& session);
  ~UserSessionScope();
  UserSessionScope(const UserSessionScope&) = delete;
  UserSessionScope& operator=(const UserSessionScope&) = delete;

 private:
  UserSession* previous_;
};

// The reads of one operation on the active session's data share one read transaction while
// this lives (nothing without a session): they lock the file once and see one state of it.
// A write or a dialog in between ends the sharing; the reads after it go on one by one.
class UserDataSnapshot {
 public:
  UserDataSnapshot();
  ~UserDataSnapshot();
  UserDataSnapshot(const UserDataSnapshot&) = delete;
  UserDataSnapshot& operator=(const UserDataSnapshot&) = delete;

 private:
  std::shared_ptr<UserData> held_;
};

}  // namespace velsor::crypt
