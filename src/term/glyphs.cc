#include "term/glyphs.h"

const GraphicCharEntry GraphicCharTable[GraphicCharCount] = {
    {"lt", '<'},     {"gt", '>'},   {"amp", '&'},   {"quot", '"'}, {"boxur", 0},
    {"boxdr", 0},    {"boxdl", 0},  {"boxul", 0},   {"boxvl", 0},  {"boxvr", 0},
    {"boxhu", 0},    {"boxhd", 0},  {"boxh", 0},    {"boxv", 0},   {"rarr", 0},
    {"larr", 0},     {"darr", 0},   {"uarr", 0},    {"degree", 0}, {"plminus", 0},
    {"lequal", 0},   {"gequal", 0}, {"nequal", 0},  {"bullet", 0}, {"diamond", 0},
    {"ckboard", 0},  {"board", 0},  {"lantern", 0}, {"block", 0},  {"pi", 0},
    {"sterling", 0}, {"s1", 0},     {"s9", 0},      {"s3", 0},     {"s7", 0},
    {"space", ' '},
};
