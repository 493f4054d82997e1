// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <memory>

class QLockFile;
class QTemporaryDir;

namespace korvanta {

// The settings work file "mail.ini": a snapshot of the adapter as last read,
// one section per port or function, case-insensitive section and key names,
// short text values. Values stored are visible to the following fetch at once;
// the file is rewritten whole through a temporary file and a rename, so a
// crash never leaves half a file. The writing, with its wait for the disk,
// runs on a thread of its own: a window never waits for it. Other sections,
// keys and their order are kept as they were.
class WorkFile {
public:
    static constexpr int kMaxValueLength = 255;

    explicit WorkFile(const QString &path);
    ~WorkFile();
    WorkFile(const WorkFile &) = delete;
    WorkFile &operator=(const WorkFile &) = delete;

    // Where "mail.ini" is kept when no work file is named: beside a program
    // run from its build tree (the build leaves a marker file beside its
    // programs), or beside a portable copy that already has its mail.ini
    // there; an installed program, whoever runs it (root too), keeps it in the
    // user's data folder, $XDG_DATA_HOME/korvanta (~/.local/share/korvanta when
    // unset), and never writes under its install prefix.
    static QString defaultPath();

    QString path() const { return m_path; }

    // Why a work file at path could not be written, from the system's own
    // answer: its folder is missing or not a folder, or this user may not
    // write the folder or the file. Empty when it can.
    static QString unwritableReason(const QString &path);

    // The stored value, at most 255 characters (254 where the 255th would be
    // half of a character outside the BMP); fallback when the key is missing
    // or the file cannot be read.
    QString fetch(const QString &section, const QString &key, const QString &fallback = {}) const;
    // Line breaks in the value, and blanks and tabs at either end, are
    // dropped: the file could not give them back.
    void store(const QString &section, const QString &key, const QString &value);

    // Returns once what was stored is on the disk, or the disk refused it.
    void flush() const;
    // True when the last save reached the disk (after waiting for it).
    bool lastSaveOk() const;

    // While a batch is alive, stores are kept in memory and written once when
    // the outermost batch ends, and the file on disk is looked at only by the
    // first fetch or store (this process holds the file's lock).
    class Batch {
    public:
        explicit Batch(WorkFile &file) : m_file(file) { ++m_file.m_batchDepth; }
        ~Batch()
        {
            if (--m_file.m_batchDepth != 0)
                return;
            m_file.m_checkedInBatch = false;
            if (m_file.m_dirty)
                m_file.save();
        }
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        WorkFile &m_file;
    };

    // Claims the file for this process: false when another running utility
    // uses it.
    bool lock();
    // What the utility says when lock() failed.
    QString inUseMessage() const;

private:
    struct Ini;
    class Writer;
    void reloadIfChanged() const;
    void adoptWritten() const;
    void save();

    QString m_path;
    std::unique_ptr<Ini> m_ini;
    mutable QDateTime m_loadedStamp;
    mutable qint64 m_loadedSize = -1;
    int m_batchDepth = 0;
    mutable bool m_checkedInBatch = false;
    bool m_dirty = false;
    mutable bool m_lastSaveOk = true;
    mutable quint64 m_adoptedWrite = 0;
    std::unique_ptr<Writer> m_writer;
    std::unique_ptr<QLockFile> m_lock;
};

// The work file of one run: the one named (--workfile); for a simulated
// adapter, one of the run's own in a temporary folder, removed at the end, so
// that the user's snapshot of a real adapter is never touched; else fallback.
class WorkFilePlace {
public:
    WorkFilePlace(const QString &named, bool simulated, const QString &fallback);
    ~WorkFilePlace();
    WorkFilePlace(const WorkFilePlace &) = delete;
    WorkFilePlace &operator=(const WorkFilePlace &) = delete;
    QString path() const { return m_path; }

private:
    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_path;
};

} // namespace korvanta
