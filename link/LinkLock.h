#pragma once

#include "link/LinkSettings.h"
#include "schedule/Result.h"

#include <QString>
#include <memory>
#include <optional>

// Who holds a lock, as the holder wrote it into the lock file.
struct LockHolder
{
    QString program; // empty when the holder had not written it yet
    qint64 pid = 0;
};

// An advisory lock (flock) on a file in the lock folder, held while the
// object lives. The kernel frees it when the holder dies, even by SIGKILL,
// so no stale file can keep anyone out. A second take of the same name in
// one process shares the lock instead of refusing itself.
class LinkLock
{
public:
    LinkLock() = default;

    // Takes the lock `name` (a file name, see lockName()) without waiting.
    // When another process holds it: a failure naming the holder, and
    // refusedBy() tells who. Any other failure (a folder that cannot be made
    // or a file that cannot be opened) leaves refusedBy() empty.
    Result<> take(const QString &name);
    void release();
    bool held() const { return m_handle != nullptr; }
    const std::optional<LockHolder> &refusedBy() const { return m_refusedBy; }

private:
    struct Handle;
    std::shared_ptr<Handle> m_handle;
    std::optional<LockHolder> m_refusedBy;
};

// The lock folder: $ZIL_LOCK_DIR, else /run/lock/zilsistemi, which the
// desktop user and the timer's service user share (made 1777 when missing).
QString lockFolder();

// A file name for what `kind` and `target` name: "tcp-10.0.0.21-5600",
// "serial-dev-ttyUSB0", "site-etc-zilsistemi-site.toml"; a long one is cut
// and ends in a digest of the whole.
QString lockName(const QString &kind, const QString &target);

// The lock of the controller behind a link: the serial device after its
// symbolic links are resolved; the TCP host as parsed (an IPv6 address in
// its one canonical form, a name in small letters) and the port.
QString linkLockName(const LinkSettings &link);

// "zilctl (process 1234)", or "another program" when it did not say.
QString holderText(const LockHolder &holder);
