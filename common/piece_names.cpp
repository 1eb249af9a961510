#include "common/piece_names.h"

namespace pieces {

const char* const initialNames[kCodeCount] = {
    "・", "歩", "香", "桂", "銀", "金", "角", "飛",  //  0 to  7
    "王", "玉", "＊", "●", "＊", "＊", "＊", "＊",  //  8 to 15
    "○", "と", "杏", "圭", "全", "＊", "馬", "龍",  // 16 to 23
    "宝", "宝", "＊", "＊", "＊", "＊", "＊", "＊",  // 24 to 31
};

const int fullSet[kLastHandKind + 1] = {0, 18, 4, 4, 4, 4, 2, 2};

const FairyKing fairyKings[kFairyKingCount] = {
    {"クイーン王", "Ｑ"},
    {"ナイトライダー王", "夜"},
    {"ナイト王", "騎"},
    {"獅子王", "獅"},
    {"キャメル王", "駱"},
    {"ゼブラ王", "縞"},
    {"麒麟王", "麒"},
    {"鳳凰王", "鳳"},
    {"キリン王", "き"},
    {"FIVE-LEAPER王", "伍"},
    {"ROOT-50-LEAPER王", "梧"},
    {"グラスホッパー王", "Ｇ"},
    {"跳王", "跳"},
    {"駆王", "駆"},
};

}  // namespace pieces
