#ifndef DWFCORE_TEMPFILE_H
#define DWFCORE_TEMPFILE_H

#include "dwfcore/File.h"
#include "dwfcore/FileInputStream.h"
#include "dwfcore/FileOutputStream.h"

#include <cstdio>

namespace DWFCore
{

// A uniquely named file in the temporary folder ($TMPDIR, else the system's),
// created exclusively with mode 0600 and open for writing; it can be reopened
// for reading and is removed when the object is destroyed if asked to.
class DWFTempFile : public DWFCoreMemory
{
public:
    // The name starts with `prefix`; the caller owns the result.
    static DWFTempFile* Create(const DWFString& prefix, bool deleteOnDestroy);

    // Flushes and releases the output stream, removes the file when asked
    // (and not removed already); failures are swallowed.
    virtual ~DWFTempFile();

    DWFTempFile(const DWFTempFile&) = delete;
    DWFTempFile& operator=(const DWFTempFile&) = delete;

    // The file's output stream, which the temporary file keeps.
    DWFOutputStream* getOutputStream();
    // Finishes writing (the output stream is gone from then on) and returns a
    // new stream over the file's bytes, owned by the caller.
    DWFInputStream* getInputStream();

    // Releases the output stream and removes the file now, whatever the
    // object was made to do with it when destroyed, so that a removal that
    // fails can be told. False with errno set when the file stays (it stays
    // listed with the process's temporary files, and the destructor tries
    // once more); true when it is gone, and from then on nothing of it is
    // left to remove. Streams opened for reading keep what they read.
    bool remove() noexcept;

    const DWFFile& file() const { return _file; }

private:
    DWFTempFile(const DWFFile& file, DWFFileOutputStream* stream, bool deleteOnDestroy);
    // Wraps the freshly created file; the caller removes it if this throws.
    static DWFTempFile* _adopt(const char* path, FILE* handle, bool deleteOnDestroy);
    void _finishWriting();

    DWFFile _file;
    DWFFileOutputStream* _stream;
    bool _delete;
    bool _removed = false;
};

} // namespace DWFCore

#endif
