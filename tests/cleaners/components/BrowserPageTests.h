// The property page behaviour both browser components share, written once as
// parameterised tests (BrowserPageTests.cpp); each component's test program
// instantiates them with its own sheet and boxes.
#ifndef LARKSPIRE_BROWSERPAGETESTS_H
#define LARKSPIRE_BROWSERPAGETESTS_H

#include <gtest/gtest.h>

#include "ComponentContract.h"

struct PageBox {
    const char* valueName;
    int controlId;
};

struct BrowserPageCase {
    const CLSID* clsid;
    const char* caption; // of the component's sheet
    const char* tab;     // of the component's own page
    PageBox boxes[7];    // in the order the page loads and writes them
    int neighbourIds[2]; // control ids just outside the page's range
};

class BrowserPage : public testing::TestWithParam<BrowserPageCase> {};

#endif
