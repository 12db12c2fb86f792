#include "lang/catalogue.h"

// One row per group: the general keys, then each page's texts and button captions.
// clang-format off
const char* const setupKeyCatalogue[] = {
    "language_string", "license", "mw_title", "sc_count", "sc1src", "sc1", "sc2src", "sc2",
    "sc3src", "sc3", "sc4src", "sc4", "prev_btn", "next_btn", "cancel_btn", "cn_caption",
    "cn_text", "0_01",
    "1_00", "1_01", "1_02", "1_prev", "1_next", "1_cancel",
    "2_00", "2_01", "2_02", "2_prev", "2_next", "2_cancel",
    "3_00", "3_01", "3_02", "3_03", "3_04", "3_05", "3_06", "3_07", "3_08", "3_09", "3_10", "3_11",
    "3_prev", "3_next", "3_cancel",
    "4_00", "4_01", "4_02", "4_prev", "4_next", "4_cancel",
    "5_00", "5_01", "5_02", "5_03", "5_04", "5_05", "5_prev", "5_next", "5_cancel",
    "6_00", "6_01", "6_02", "6_03", "6_04", "6_05", "6_06", "6_cancel",
    "7_00", "7_01", "7_02", "7_03", "7_04", "7_05", "7_06", "7_07", "7_08", "7_09", "7_cancel",
};
// clang-format on
const int setupKeyCount = sizeof setupKeyCatalogue / sizeof setupKeyCatalogue[0];
static_assert(sizeof setupKeyCatalogue / sizeof setupKeyCatalogue[0] == 79,
              "every section defines the 79 catalogue keys");
