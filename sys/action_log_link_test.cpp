// The log of a run is never written through a link standing at its path.
#include <gtest/gtest.h>

#include "sys/action_log.h"

#ifndef _WIN32
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace pel {
namespace {

Text ReadAll(const Text& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ActionLogLink, ALinkAtTheLogsPathIsRefusedAndItsTargetKeepsItsBytes) {
  Text dir = "/tmp/pel-log-link-" + std::to_string(getpid());
  Text target = dir + "-target.log", link = dir + "-link.log", plain = dir + "-plain.log";
  std::remove(link.c_str());
  std::remove(plain.c_str());
  { std::ofstream(target, std::ios::binary) << "theirs\r\n"; }
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_EQ(OpenAppendLog(link), nullptr);
  EXPECT_EQ(ReadAll(target), "theirs\r\n");
  // A plain file at the path is appended to, as ever.
  std::unique_ptr<LogSink> sink = OpenAppendLog(plain);
  ASSERT_NE(sink, nullptr);
  EXPECT_TRUE(sink->Append("line\r\n"));
  sink.reset();
  EXPECT_EQ(ReadAll(plain), "line\r\n");
  std::remove(link.c_str());
  std::remove(target.c_str());
  std::remove(plain.c_str());
}

}  // namespace
}  // namespace pel
#endif
