// What the two browser components share when they compact: a table of items,
// each switched by a DWORD of the component's per-user key (on when absent),
// and the ways an item finds what it removes.
#ifndef LARKSPIRE_BROWSERITEMS_H
#define LARKSPIRE_BROWSERITEMS_H

#include <windows.h>

#include "TreeWalk.h"

struct BrowserItem;

// Removes one item, with the removals of the caller's cleaning.
typedef void (*BrowserItemAction)(const BrowserItem& item, CleaningRun& run);

struct BrowserItem {
    const char* switchName;   // DWORD of the component's key; 0 is off, else on
    BrowserItemAction action;
    HKEY root;                // the browser's own key that the action reads, if any
    const char* keyPath;
    const char* detail;       // value name, search pattern or path suffix, per action
    PathTarget target;        // what a path the item finds must name: a folder or a file
};

// Runs, in table order, every item whose switch under HKEY_CURRENT_USER
// `settingsPath` is on. A switch that is absent or not a DWORD counts as on.
void RunBrowserItems(const char* settingsPath, const BrowserItem* items, int count,
                     BOOL recycle, BOOL removeFolders);

// Action: RemoveTree on the path stored in value `detail` of the item's key
// (a per-user key is created when missing; a machine key is only read), when
// it names what the item removes (`target`). An empty or unreadable value
// removes nothing.
void RemoveStoredPath(const BrowserItem& item, CleaningRun& run);

// Action: deletes every value of the item's key (created when missing); the
// key itself stays.
void ClearKeyValues(const BrowserItem& item, CleaningRun& run);

// Joins `folder` and `suffix` (which starts with a backslash) into `out` of
// `capacity` bytes, without doubling the backslash. False, with `out` empty,
// when the joined path would not fit: the caller skips it rather than use a
// path cut short, which could name something else.
bool JoinPath(char* out, size_t capacity, const char* folder, const char* suffix);

#endif
