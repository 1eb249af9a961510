#include "converter/sfen_input.h"

#include <cctype>
#include <vector>

#include "shogi/movegen.h"

namespace converter {

using namespace shogi;

namespace {

struct Token {
  std::string text;
  int line;
};

std::vector<Token> tokens(const std::string& text) {
  std::vector<Token> out;
  int line = 1;
  std::string current;
  for (size_t i = 0; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : '\n';
    if (std::isspace(static_cast<unsigned char>(c))) {
      if (!current.empty()) out.push_back({current, line});
      current.clear();
      if (c == '\n') ++line;
    } else {
      current += c;
    }
  }
  return out;
}

}  // namespace

bool looksLikeSfen(const std::string& text) {
  const std::vector<Token> t = tokens(text);
  if (t.empty()) return false;
  if (t[0].text == "sfen" || (t[0].text == "position" && t.size() > 1 && t[1].text == "sfen")) return true;
  // A bare SFEN: nine ranks of the board, then the side to move.
  size_t slashes = 0;
  for (char c : t[0].text) slashes += c == '/';
  return slashes == 8 && t.size() > 1 && (t[1].text == "b" || t[1].text == "w");
}

bool readSfen(const std::string& text, Problem& problem, InputError* error) {
  const std::vector<Token> t = tokens(text);
  size_t i = 0;
  auto fail = [&](int line, const std::string& message) {
    *error = InputError{line, message};
    return false;
  };
  if (i < t.size() && t[i].text == "position") ++i;
  if (i < t.size() && t[i].text == "sfen") ++i;
  if (i + 3 > t.size()) return fail(t.empty() ? 0 : t.back().line, "an SFEN needs a board, a side to move and hands");
  const int line = t[i].line;
  Position given;
  std::string why;
  if (!given.setSfen(t[i].text + " " + t[i + 1].text + " " + t[i + 2].text + " 1", &why)) {
    return fail(line, "SFEN: " + why);
  }
  i += 3;
  if (i < t.size() && !t[i].text.empty() && std::isdigit(static_cast<unsigned char>(t[i].text[0]))) ++i;
  if (i < t.size() && t[i].text == "moves") ++i;

  if (!checkDefender(given, &why)) return fail(line, why);

  Position pos = given;
  std::vector<Move> moves;
  for (; i < t.size(); ++i) {
    const Move m = parseUsiMove(pos, t[i].text);
    if (m.isNull() || !isLegalMove(pos, m)) {
      return fail(t[i].line,
                  "move " + std::to_string(moves.size() + 1) + " \"" + quoted(t[i].text) + "\" is not a legal move");
    }
    pos.doMove(m);
    moves.push_back(m);
  }
  setStart(problem, given, moves, false);  // an SFEN states every hand
  return true;
}

}  // namespace converter
