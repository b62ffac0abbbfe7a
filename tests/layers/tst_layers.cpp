#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

// Keeps the folders under src/ layered as src/LAYERS lists them: every
// `#include "folder/..."` must name the includer's own folder or one on an
// earlier line of the order, and every folder must be in the order.
namespace {

const QString OrderFile = QStringLiteral("src/LAYERS");

// Folder name -> line of the order (its height); peers share a height.
using LayerOrder = QHash<QString, int>;

LayerOrder parseOrder(const QString& text) {
    LayerOrder order;
    int height = 0;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        for (const QString& folder : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            order.insert(folder, height);
        ++height;
    }
    return order;
}

// Why `from` may not include `included` (a path as written between the
// quotes), or "" when it may. A bare file name is the includer's neighbour.
QString includeFault(const LayerOrder& order, const QString& from, const QString& included) {
    if (!included.contains(QLatin1Char('/')))
        return {};
    const QString to = included.section(QLatin1Char('/'), 0, 0);
    if (to == from)
        return {};
    if (!order.contains(to))
        return QStringLiteral("includes %1: folder %2/ is not in %3").arg(included, to, OrderFile);
    if (order.value(to) == order.value(from))
        return QStringLiteral("includes %1: %2/ is a peer of %3/").arg(included, to, from);
    if (order.value(to) > order.value(from))
        return QStringLiteral("includes %1: %2/ is a layer above %3/").arg(included, to, from);
    return {};
}

// Every fault of one source file, as "path:line: reason".
QStringList fileFaults(const LayerOrder& order, const QString& relativePath,
                       const QString& absolutePath) {
    const QString from = relativePath.section(QLatin1Char('/'), 1, 1);
    if (relativePath.count(QLatin1Char('/')) < 2)
        return {relativePath + QStringLiteral(": lies outside any layer folder")};
    if (!order.contains(from))
        return {relativePath + QStringLiteral(": folder %1/ is not in %2").arg(from, OrderFile)};

    static const QRegularExpression includeLine(
        QStringLiteral("^\\s*#\\s*include\\s*\"([^\"]+)\""));
    QFile file(absolutePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {relativePath + QStringLiteral(": cannot be read")};
    QStringList faults;
    QTextStream in(&file);
    for (int number = 1; !in.atEnd(); ++number) {
        const auto match = includeLine.match(in.readLine());
        if (!match.hasMatch())
            continue;
        const QString fault = includeFault(order, from, match.captured(1));
        if (!fault.isEmpty())
            faults << QStringLiteral("%1:%2: %3").arg(relativePath).arg(number).arg(fault);
    }
    return faults;
}

} // namespace

class TestLayers : public QObject {
    Q_OBJECT
  private slots:
    void judgesOneInclude_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("included");
        QTest::addColumn<QString>("fault"); // a word of the reason, "" when allowed
        QTest::newRow("own folder") << "mid"
                                    << "mid/a.h"
                                    << "";
        QTest::newRow("bare neighbour") << "top"
                                        << "a.moc"
                                        << "";
        QTest::newRow("below") << "top"
                               << "low/a.h"
                               << "";
        QTest::newRow("two below") << "top"
                                   << "base/a.h"
                                   << "";
        QTest::newRow("above") << "low"
                               << "top/a.h"
                               << "above";
        QTest::newRow("peer") << "mid"
                              << "side/a.h"
                              << "peer";
        QTest::newRow("unlisted folder") << "mid"
                                         << "stray/a.h"
                                         << "not in";
    }
    void judgesOneInclude() {
        QFETCH(QString, from);
        QFETCH(QString, included);
        QFETCH(QString, fault);
        const LayerOrder order = parseOrder(QStringLiteral("# bottom first\nbase\n\nlow  # "
                                                           "comment\nmid side\ntop\n"));
        const QString reason = includeFault(order, from, included);
        if (fault.isEmpty())
            QVERIFY2(reason.isEmpty(), qPrintable(reason));
        else
            QVERIFY2(reason.contains(fault), qPrintable(reason));
    }

    void sourcesKeepTheOrder() {
        const QDir root(QStringLiteral(SONVELA_SOURCE_DIR));
        QFile orderFile(root.filePath(OrderFile));
        QVERIFY2(orderFile.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(OrderFile));
        const LayerOrder order = parseOrder(QString::fromUtf8(orderFile.readAll()));
        QVERIFY(!order.isEmpty());

        QStringList faults;
        int files = 0;
        QDirIterator it(root.filePath(QStringLiteral("src")), {"*.h", "*.cpp"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            faults << fileFaults(order, root.relativeFilePath(path), path);
            ++files;
        }
        QVERIFY(files > 0);
        faults.sort();
        QVERIFY2(faults.isEmpty(), qPrintable(QLatin1Char('\n') + faults.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
