#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Line metrics of font faces kept from one run of the program to the next, in one file of the
// user's cache folder.
//
// An entry names the face's file as it was measured (path, face index, size and modification
// time) and the device it was measured for, so that a font replaced or updated is measured
// afresh rather than read stale; the whole file holds for one state of what measures (the
// libraries' versions, the font configuration's files, the screen's scaling) and is set aside
// when that changes. The file is only ever an aid: one that is damaged, cut short,
// written by another version or not ours at all is ignored and replaced, and a folder that
// cannot be written costs the next run its speed, nothing else.
class MetricsCache
{
public:
    struct Key
    {
        QByteArray file;
        int index = 0;
        qint64 fileSize = 0;
        qint64 modified = 0; // nanoseconds since the epoch
        int dpi = 0;
        double pixelSize = 0;
        // The name the face was asked by: the font configuration may hint it by family.
        QByteArray family;
        bool operator==(const Key &other) const = default;
    };
    // Device pixels at the key's size; a negative height marks a face that could not be
    // measured from its file.
    struct Line
    {
        double ascent = 0;
        double height = -1;
    };

    explicit MetricsCache(const QString &path);

    // The key of a face file as it is on the disk now; nothing when it cannot be read.
    static std::optional<Key> keyOf(const QByteArray &file, int index, int dpi, double pixelSize);
    // The key of a line that Qt measures itself for the font asked by name, choosing among
    // faces (file and index each) as they are on the disk now: an entry of its own, which no
    // longer holds once any of those faces changes; nothing when one cannot be read.
    static std::optional<Key> keyOfChoiceAmong(const QList<std::pair<QByteArray, int>> &faces,
        const QString &name, int dpi, double points);
    // The cache file in the user's cache folder.
    static QString defaultPath();

    std::optional<Line> find(const Key &key);
    void insert(const Key &key, const Line &line);
    // Adds what the file gained from other processes meanwhile and writes it anew, atomically;
    // false when it could not be written.
    bool save();

private:
    QHash<Key, Line> readFile() const;

    QString m_path;
    bool m_read = false;
    bool m_changed = false;
    QHash<Key, Line> m_lines;
};

size_t qHash(const MetricsCache::Key &key, size_t seed = 0);
