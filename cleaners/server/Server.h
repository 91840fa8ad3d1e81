// Module state of a component server and the table of the classes it serves.
// The frame (Server.cpp, ClassFactory.cpp, Registration.cpp) is the same code
// in every component server; each has a table of its own.
#ifndef LARKSPIRE_SERVER_H
#define LARKSPIRE_SERVER_H

#include "ComponentContract.h"

// The server's module instance: string table, dialogs, icons, its own path.
extern HINSTANCE g_module;

// Every component object and class factory counts itself in while it lives;
// the server may be unloaded when the count is 0. Safe from any thread.
void ServerObjectCreated();
void ServerObjectDestroyed();
LONG ServerObjectCount();

// One class of the server: its identity and how to make an object of it.
struct ServedClass {
    const CLSID* clsid;
    const char* keyName;     // catalogue and per-user key name
    const char* progId;      // version-independent ProgID; the versioned one adds "1.0"
    const char* description; // class description under HKEY_CLASSES_ROOT
    int iconIndex;           // "DefaultIcon" index: the server's icons in resource order
    // A new object with one reference, or NULL when memory is short.
    ICleanerComponent* (*create)();
};

// The server's own table (its ServedClasses.cpp): the classes in the order
// in which every lookup tests them, and the order in which they are
// registered and unregistered (indexes into the table, every class once).
extern const ServedClass g_servedClasses[];
extern const int g_servedClassCount;
extern const int g_registrationOrder[];

// The served class with this CLSID, or NULL.
const ServedClass* FindServedClass(REFCLSID clsid);

#endif
