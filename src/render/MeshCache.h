#pragma once

class CMesh;

// Every entity owns its own mesh, but the file behind it is read and parsed once: later loads
// of the same file share the parsed data. A world builds up to a hundred thousand enemies and
// every shot loads the bolt, so this spares the disk, the parser and the memory. A file is known by
// its identity on disk (device, inode, size, modification time), so one that changed, or another
// file under the same relative path from another directory, is read afresh. A file that cannot be
// read is never kept, so its message comes at every load as before.
class CMeshCache {
public:
    // As CMesh::Load: false, with the message, when the file cannot be opened.
    static bool Load(const char* path, CMesh& mesh);
    static void Clear(); // forgets every kept mesh
};
