// Deleting through held folders: the files a step would delete, whether each can go now, and whole trees.
#pragma once

#include <functional>
#include <vector>

#include "base/text.h"
#include "sys/file_system.h"

namespace pel {

// True for an entry a folder step deletes as a file: anything without the
// folder bit, and a link of any kind (it goes as the link, never followed).
bool DeletedAsFile(const HeldEntry& entry);
// True for a real subfolder: the folder bit and no link.
bool RealSubfolder(const HeldEntry& entry);

// The first entry, as a full path under path (which ends in a backslash),
// that another program holds so that it cannot be deleted now: every file
// that keep does not spare, and with pool set the whole tree of the "pool"
// subfolder. Empty when every one can go.
Text FirstEntryInUse(HeldFolder& folder, const Text& path,
                     const std::function<bool(const HeldEntry&)>& keep, bool pool);

// Adds to left each of the deleted entries that the folder still lists (a
// deletion the system took and did not carry out, or one still pending on
// another program's handle): only a listing tells that it has gone.
void NoteStillListed(HeldFolder& folder, const Text& path, const std::vector<HeldEntry>& deleted,
                     std::vector<Text>* left);

// Deletes the subfolder entry of parent with everything in it, through held
// folders only: links inside go as links, a read-only or held file stays, and
// so does every folder above it. Full paths of what stayed go to left. True
// when the subfolder itself is gone.
bool DeleteHeldTree(HeldFolder& parent, const HeldEntry& entry, const Text& path,
                    std::vector<Text>* left);

}  // namespace pel
