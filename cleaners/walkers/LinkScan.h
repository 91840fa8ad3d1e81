// Whether a folder may go to the shell whole. The shell deletes a folder
// that the Recycle Bin cannot take for good, and follows the links inside
// it as it does: only a folder known to hold no link at any depth, and held
// so (its folders pinned) until the shell returns, may be handed over.
#ifndef LARKSPIRE_LINKSCAN_H
#define LARKSPIRE_LINKSCAN_H

#include <windows.h>

#include "PinnedFolder.h"

class ProtectedFolders;

// The deepest a walk or a scan goes below the folder it was handed: deeper
// folders are left as they are (a hostile tree may be nested without end).
const int kMaxWalkDepth = 128;

// True when nothing at any depth below the subfolder `entry` of `parent` is
// a link (Wine's links to files, which show as files, found out by where
// each file lies), every folder in it can be opened and listed, and none is
// a protected one. `depth` is the entry's depth below the top of the walk.
// The folder's identity goes to `identity`; the pins of the folders inside
// it go to `held` (when not NULL), to be kept until the shell returns.
bool HoldsNoLink(const PinnedFolder& parent, const FolderEntry& entry, const ProtectedFolders& judge, int depth,
                 FolderIdentity* identity, HeldFolders* held);

#endif
