// The keys that the setup program looks up in every section of qxsetup.lng, in file order.
#pragma once

extern const char* const setupKeyCatalogue[];
extern const int setupKeyCount;
