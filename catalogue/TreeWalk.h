#pragma once
// The walk below a folder on several threads. Each folder is listed once: its matches are
// noted and its sub-folders walked in the order they were listed. The caller is handed
// what was found in exactly the order one thread walking depth-first finds it, whatever
// the threads did: a walker that runs out of work takes the farthest pending sub-folder
// of another (the last one not yet taken at that walker's shallowest level), and what it
// finds waits until the caller's turn comes to it, at most a bounded amount ahead.
//
// The rules are the folder search's: every sub-folder whose name does not start with a
// dot is entered, whatever dots it holds; links to folders are followed, but a folder
// already open higher up on the same path (a link to an ancestor, a bind mount) is not
// entered again; a folder that cannot be listed is still announced.

#include "platform/Folder.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstddef>
#include <memory>

namespace catalogue {

// What the caller wants of a match, learnt by a walker while the match's folder was open
// and listed: the folder need not be found again, nor asked what its listing told.
// Opaque to the walk.
class MatchNote {
public:
    virtual ~MatchNote() = default;
};

// A match as its walker sees it, once its folder has been listed whole.
struct MatchedEntry {
    const platform::FolderHandle& folder;
    // All of the folder's entries; null for a folder too large to keep them.
    const platform::FolderEntries* entries;
    const char* name;                        // NUL-terminated
    QByteArrayView path;                     // folder, separator, name
};

class TreeWalkVisitor {
public:
    virtual ~TreeWalkVisitor() = default;
    // Any walker thread, often: whether the walk should end now.
    virtual bool cancelled() const = 0;
    // Any walker thread: whether the entry `name` (one file name's bytes) is reported.
    virtual bool matches(QByteArrayView name) const = 0;
    // Whether the walkers note each match with noteMatch(); asked once, before the walk.
    virtual bool notesMatches() const { return false; }
    // Any walker thread, for each match in listing order: what match() is to be given.
    virtual std::unique_ptr<MatchNote> noteMatch(const MatchedEntry&) const { return nullptr; }
    // The thread that called walkTree, in walk order: a folder entered (the start folder
    // is not announced), with no trailing separator...
    virtual void folder(QByteArrayView path) = 0;
    // ... and an entry matching in the folder announced last: folder, separator, name,
    // with its note when the walkers make them (else null), valid during the call.
    virtual void match(QByteArrayView path, const platform::EntryInfo& info, const MatchNote* note) = 0;
};

struct TreeWalkOptions {
    int walkers = 2;               // listing threads, besides the calling one
    // Records found ahead of the caller before a walker waits: bounds memory (some 60
    // bytes a record). The part of the walk whose turn it is may have as many again. Too
    // few, and on a tree of 100,000 folders the walker far ahead often waits for the one
    // whose turn it is, a core idle.
    std::size_t aheadLimit = 65536;
    // Records a walker hands over at a time: fewer hand-overs, more found ahead.
    std::size_t batchRecords = 256;
    // The most entries of one folder a walker keeps for noting its matches: bounds memory
    // on a folder of millions of files, whose matches are then noted without its entries.
    std::size_t keptEntries = 8192;
};

// What a walk did: for tests and benchmarks.
struct TreeWalkCounts {
    int foldersListed = 0;
    int foldersTaken = 0;          // sub-folders one walker took from another
};

// Walks the folders below `root` (no trailing separator but for "/"): the root's own
// entries are not reported. Returns when the walk is over or cancelled; no visitor call
// comes after that.
TreeWalkCounts walkTree(const QByteArray& root, TreeWalkVisitor& visitor, const TreeWalkOptions& options = {});

// The walkers a search uses on this machine.
int treeWalkers();

} // namespace catalogue
