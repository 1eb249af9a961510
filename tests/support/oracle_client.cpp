#include "support/oracle_client.h"

#include <sys/wait.h>
#include <unistd.h>

OracleClient::OracleClient(const std::string& program) {
  int down[2], up[2];
  if (pipe(down) != 0 || pipe(up) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(down[0], 0);
    dup2(up[1], 1);
    close(down[1]);
    close(up[0]);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(down[0]);
  close(up[1]);
  to_ = fdopen(down[1], "w");
  from_ = fdopen(up[0], "r");
}

OracleClient::~OracleClient() {
  if (to_ != nullptr) std::fclose(to_);
  if (from_ != nullptr) std::fclose(from_);
  if (pid_ > 0) waitpid(pid_, nullptr, 0);
}

std::string OracleClient::ask(const std::string& command) {
  if (to_ == nullptr) return "no oracle";
  std::fprintf(to_, "%s\n", command.c_str());
  std::fflush(to_);
  char buffer[65536];
  if (std::fgets(buffer, sizeof buffer, from_) == nullptr) return "no answer";
  std::string s = buffer;
  if (!s.empty() && s.back() == '\n') s.pop_back();
  return s;
}
