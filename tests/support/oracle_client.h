// Talks to the OpenShogiLib oracle program: one command line in, one answer
// line out.
#pragma once

#include <cstdio>
#include <string>

class OracleClient {
 public:
  explicit OracleClient(const std::string& program);
  ~OracleClient();
  OracleClient(const OracleClient&) = delete;
  OracleClient& operator=(const OracleClient&) = delete;
  bool running() const { return to_ != nullptr; }
  std::string ask(const std::string& command);

 private:
  std::FILE* to_ = nullptr;
  std::FILE* from_ = nullptr;
  int pid_ = -1;
};
