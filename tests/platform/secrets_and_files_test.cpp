#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <thread>

#include "platform/base/bytes.h"
#include "platform/base/file_descriptor.h"
#include "platform/base/secret_bytes.h"

namespace velsor {
namespace {

TEST(SecretBytesTest, WipingLeavesNothingAndTheVectorBehavesAsBytes) {
  std::uint8_t buffer[32];
  std::memset(buffer, 0xA5, sizeof buffer);
  WipeMemory(buffer, sizeof buffer);
  for (const std::uint8_t byte : buffer) EXPECT_EQ(byte, 0);

  SecretBytes key(16, 0x42);
  key.resize(4096);  // grows through the allocator, wiping the old buffer
  const ByteView view = key;
  EXPECT_EQ(view.size(), 4096u);
  EXPECT_EQ(view[15], 0x42);
}

TEST(FileDescriptorTest, ReadsAndWritesGoOnAcrossInterruptedCalls) {
  // A handler without SA_RESTART makes a blocked read or write return EINTR.
  struct sigaction action {};
  action.sa_handler = [](int) {};
  struct sigaction previous {};
  ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  FileDescriptor reader(ends[0]);
  FileDescriptor writer(ends[1]);
  const std::string message(300000, 'm');  // more than a pipe holds: the write blocks
  const pthread_t main = pthread_self();
  std::thread other([&] {
    for (int i = 0; i < 20; ++i) {
      pthread_kill(main, SIGUSR1);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::string received(message.size(), '\0');
    const auto got = ReadFully(reader.get(), received.data(), received.size());
    EXPECT_EQ(got, message.size());
    EXPECT_EQ(received, message);
  });
  EXPECT_TRUE(WriteFully(writer.get(), message.data(), message.size()));
  EXPECT_TRUE(writer.Close());
  EXPECT_FALSE(writer.Close()) << "closing twice reports it";
  other.join();
  sigaction(SIGUSR1, &previous, nullptr);

  FileDescriptor moved(std::move(reader));
  EXPECT_FALSE(reader);
  EXPECT_TRUE(moved);
  char byte = 0;
  EXPECT_EQ(ReadFully(moved.get(), &byte, 1), 0u) << "the end of input reads nothing";
}

}  // namespace
}  // namespace velsor
