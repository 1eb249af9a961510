// Piece names of the problem-file notation, shared by the checker, the
// solver and the converter. Each name is two bytes of code page 932.
//
// A piece code is 0 to 31: 0 no piece, 1 to 7 the kinds a hand can hold
// (pawn, lance, knight, silver, gold, bishop, rook), 8 and 9 the kings,
// 10 the fairy piece; adding 16 gives the promoted form.
#pragma once

namespace pieces {

constexpr int kCodeCount = 32;
constexpr int kPromoted = 16;
constexpr int kFirstHandKind = 1;
constexpr int kLastHandKind = 7;
constexpr int kKing = 8;
constexpr int kSecondKing = 9;
constexpr int kFairyPiece = 10;

// True for the kinds a hand can hold.
inline bool isHandKind(int code) { return code >= kFirstHandKind && code <= kLastHandKind; }

// Names of codes 0 to 31 before any condition changes them.
extern const char* const initialNames[kCodeCount];

// The full set of pieces of each kind 1 to 7 (index 0 unused).
extern const int fullSet[kLastHandKind + 1];

// Conditions that name a fairy king, and the king symbol each gives, in the
// order in which they are looked for.
struct FairyKing {
  const char* condition;
  const char* symbol;
};
constexpr int kFairyKingCount = 14;
extern const FairyKing fairyKings[kFairyKingCount];

}  // namespace pieces
