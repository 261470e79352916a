#include "fonts/MetricsCache.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <sys/stat.h>

namespace {

constexpr quint32 kMagic = 0x54504d43; // "TPMC"
constexpr quint32 kFormat = 1;
constexpr auto kHash = QCryptographicHash::Sha256;

// What the numbers hang on besides the face itself: the libraries' arithmetic, the font
// configuration (which may round a face's metrics to whole pixels) and the screen's scaling
// (under which Qt rounds nothing). A file written under another state is not read.
QByteArray measuringState()
{
    QByteArray state = QByteArrayLiteral("Qt ") + qVersion() + " FreeType "
        + QByteArray::number(FREETYPE_MAJOR) + '.' + QByteArray::number(FREETYPE_MINOR) + '.'
        + QByteArray::number(FREETYPE_PATCH) + " fontconfig " + QByteArray::number(FcGetVersion())
        + " scale " + QByteArray::number(qGuiApp ? qGuiApp->devicePixelRatio() : 1.0);
    if (FcStrList *files = FcConfigGetConfigFiles(nullptr)) {
        while (const FcChar8 *file = FcStrListNext(files)) {
            struct stat status = {};
            const auto *name = reinterpret_cast<const char *>(file);
            state += '\n' + QByteArray(name);
            if (::stat(name, &status) == 0) {
                state += ' ' + QByteArray::number(qint64(status.st_size)) + ' '
                    + QByteArray::number(qint64(status.st_mtim.tv_sec)) + '.'
                    + QByteArray::number(qint64(status.st_mtim.tv_nsec));
            }
        }
        FcStrListDone(files);
    }
    return state;
}

QDataStream &operator<<(QDataStream &out, const MetricsCache::Key &key)
{
    return out << key.file << qint32(key.index) << key.fileSize << key.modified << qint32(key.dpi)
               << key.pixelSize << key.family;
}

QDataStream &operator>>(QDataStream &in, MetricsCache::Key &key)
{
    qint32 index = 0;
    qint32 dpi = 0;
    in >> key.file >> index >> key.fileSize >> key.modified >> dpi >> key.pixelSize >> key.family;
    key.index = index;
    key.dpi = dpi;
    return in;
}

} // namespace

size_t qHash(const MetricsCache::Key &key, size_t seed)
{
    return qHashMulti(
        seed, key.file, key.index, key.fileSize, key.modified, key.dpi, key.pixelSize, key.family);
}

MetricsCache::MetricsCache(const QString &path)
    : m_path(path)
{ }

QString MetricsCache::defaultPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("metrics.cache"));
}

std::optional<MetricsCache::Key> MetricsCache::keyOf(
    const QByteArray &file, int index, int dpi, double pixelSize)
{
    struct stat status = {};
    if (::stat(file.constData(), &status) != 0)
        return std::nullopt;
    const qint64 modified = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return Key { file, index, qint64(status.st_size), modified, dpi, pixelSize, {} };
}

std::optional<MetricsCache::Key> MetricsCache::keyOfChoiceAmong(
    const QList<std::pair<QByteArray, int>> &faces, const QString &name, int dpi, double points)
{
    if (faces.isEmpty())
        return std::nullopt;
    // Named by the first face, so that the entry goes when that face does; the others, and the
    // name asked, make it an entry that no face measured alone can meet.
    std::optional<Key> key = keyOf(faces.first().first, faces.first().second, dpi, points);
    if (!key)
        return std::nullopt;
    key->family = "measured by Qt as " + name.toUtf8();
    for (const auto &[file, index] : faces.mid(1)) {
        const std::optional<Key> other = keyOf(file, index, 0, 0);
        if (!other)
            return std::nullopt;
        key->family += '\n' + file + '\0' + QByteArray::number(index) + '\0'
            + QByteArray::number(other->fileSize) + '\0' + QByteArray::number(other->modified);
    }
    return key;
}

std::optional<MetricsCache::Line> MetricsCache::find(const Key &key)
{
    if (!m_read) {
        m_lines = readFile();
        m_read = true;
    }
    const auto known = m_lines.constFind(key);
    if (known == m_lines.cend())
        return std::nullopt;
    return *known;
}

void MetricsCache::insert(const Key &key, const Line &line)
{
    m_lines.insert(key, line);
    m_changed = true;
}

QHash<MetricsCache::Key, MetricsCache::Line> MetricsCache::readFile() const
{
    QHash<Key, Line> lines;
    QFile file(m_path);
    if (m_path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return lines;
    const QByteArray bytes = file.readAll();
    const int hashSize = QCryptographicHash::hashLength(kHash);
    if (bytes.size() < hashSize)
        return lines;
    const QByteArray content = bytes.first(bytes.size() - hashSize);
    if (QCryptographicHash::hash(content, kHash) != bytes.last(hashSize))
        return lines;
    QDataStream in(content);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 magic = 0;
    quint32 format = 0;
    QByteArray state;
    quint32 count = 0;
    in >> magic >> format >> state >> count;
    if (magic != kMagic || format != kFormat || state != measuringState())
        return lines;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        Key key;
        Line line;
        in >> key >> line.ascent >> line.height;
        lines.insert(key, line);
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return {};
    return lines;
}

bool MetricsCache::save()
{
    if (!m_changed)
        return true;
    if (m_path.isEmpty() || !QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return false;
    // Another process may be saving its own faces: one after the other, each keeps the other's.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(500))
        return false;
    const QHash<Key, Line> onDisk = readFile();
    for (auto it = onDisk.cbegin(); it != onDisk.cend(); ++it) {
        if (!m_lines.contains(it.key()))
            m_lines.insert(it.key(), it.value());
    }
    // Fonts removed or updated since leave their entries behind: the file would only grow.
    QHash<QByteArray, std::optional<Key>> current;
    m_lines.removeIf([&current](const QHash<Key, Line>::iterator entry) {
        const Key &key = entry.key();
        auto known = current.constFind(key.file);
        if (known == current.cend())
            known = current.insert(key.file, keyOf(key.file, key.index, key.dpi, key.pixelSize));
        return !*known || (*known)->fileSize != key.fileSize || (*known)->modified != key.modified;
    });
    QByteArray content;
    QDataStream out(&content, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << kMagic << kFormat << measuringState() << quint32(m_lines.size());
    for (auto it = m_lines.cbegin(); it != m_lines.cend(); ++it)
        out << it.key() << it.value().ascent << it.value().height;
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()
        || file.write(QCryptographicHash::hash(content, kHash))
            != QCryptographicHash::hashLength(kHash)
        || !file.commit()) {
        return false;
    }
    m_changed = false;
    return true;
}
