// docs/ARCHITECTURE.md names only files and folders that exist: every backticked path with a
// slash ("print/Report.h", "tests/support/"), every backticked file name with an extension of
// source, script or document (.h .cpp .sh .cmake .md .txt), and every stem ("DataModule.*",
// some file of that name). A name without a folder is looked for in the folders its table row or
// paragraph names, or, when that names none, anywhere in the tree. Spans that start with "$",
// "/", "~" or "<" are no paths of the repository (an environment variable, an absolute path, a
// placeholder).
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

namespace
{

const QStringList kExtensions = {QStringLiteral("h"),     QStringLiteral("cpp"), QStringLiteral("sh"),
                                 QStringLiteral("cmake"), QStringLiteral("md"),  QStringLiteral("txt")};

/// The source folder: where CTest says it is, else the folder this file was built from.
QString sourceRoot()
{
    const QString given = qEnvironmentVariable("QUILLMATE_SOURCE_DIR");
    return given.isEmpty() ? QFileInfo(QStringLiteral(__FILE__)).absoluteDir().filePath(QStringLiteral("../.."))
                           : given;
}

/// A backticked word that names a path of the repository: with a slash, with a known extension,
/// or a stem followed by ".*".
bool namesPath(const QString& word)
{
    if (word.isEmpty() || word.startsWith(u'$') || word.startsWith(u'/') || word.startsWith(u'~') ||
        word.startsWith(u'<') || word.contains(QStringLiteral("://")))
        return false;
    if (word.contains(u'/'))
        return true;
    if (word.endsWith(QStringLiteral(".*")))
        return true;
    return kExtensions.contains(QFileInfo(word).suffix());
}

/// The words of a backticked span that name paths: `#include "print/Report.h"` names
/// print/Report.h.
QStringList pathsInSpan(const QString& span)
{
    static const QRegularExpression separators(QStringLiteral("[\\s\"'(),;]+"));
    QStringList paths;
    for (QString word : span.split(separators, Qt::SkipEmptyParts)) {
        while (word.endsWith(u':') || (word.endsWith(u'.') && !word.endsWith(QStringLiteral(".*"))))
            word.chop(1);
        if (namesPath(word))
            paths.append(word);
    }
    return paths;
}

/// Whether path names something in folder (relative to the repository root): a file, a folder
/// (with a trailing slash), or a stem with ".*".
bool existsIn(const QDir& root, const QString& folder, const QString& path)
{
    const QString full = folder.isEmpty() ? path : folder + path;
    if (full.endsWith(QStringLiteral(".*"))) {
        const QFileInfo stem(root.filePath(full.chopped(2)));
        const QStringList matches = stem.dir().entryList({stem.fileName() + QStringLiteral(".*")}, QDir::Files);
        return !matches.isEmpty();
    }
    const QFileInfo info(root.filePath(full));
    return full.endsWith(u'/') ? info.isDir() : info.exists();
}

/// Whether a file or stem (no folder) exists anywhere in the tree, build folders and .git aside.
bool existsInTree(const QDir& root, const QString& name)
{
    QDirIterator it(root.path(), {name}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        if (!relative.startsWith(QStringLiteral(".git")) && !relative.startsWith(QStringLiteral("build")))
            return true;
    }
    return false;
}

/// The units a name is resolved in: each table row and each list item is one, and so is each
/// paragraph of other lines. Each unit comes with the line it starts on.
QList<QPair<int, QString>> units(const QString& text)
{
    QList<QPair<int, QString>> out;
    const QStringList lines = text.split(u'\n');
    QString current;
    int start = 0;
    const auto flush = [&] {
        if (!current.trimmed().isEmpty())
            out.append({start, current});
        current.clear();
    };
    static const QRegularExpression listItem(QStringLiteral("^\\s*([-*]|\\d+\\.)\\s"));
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty()) {
            flush();
            continue;
        }
        if (trimmed.startsWith(u'|') || trimmed.startsWith(u'#')) {
            flush();
            out.append({i + 1, line});
            continue;
        }
        if (listItem.match(line).hasMatch())
            flush();
        if (current.isEmpty())
            start = i + 1;
        current += line + u'\n';
    }
    flush();
    return out;
}

/// The paths a Markdown text names that do not exist under root, each as "path (line n)".
QStringList MissingDocPaths(const QString& markdown, const QString& rootPath)
{
    const QDir root(rootPath);
    static const QRegularExpression code(QStringLiteral("`([^`]+)`"));
    static const QRegularExpression fenced(QStringLiteral("```.*?```"), QRegularExpression::DotMatchesEverythingOption);
    QString text = markdown;
    // Fenced blocks (commands, diagrams) keep their lines but name nothing.
    for (auto m = fenced.globalMatch(markdown); m.hasNext();) {
        const auto match = m.next();
        QString blank = match.captured();
        for (QChar& c : blank) {
            if (c != u'\n')
                c = u' ';
        }
        text.replace(match.capturedStart(), match.capturedLength(), blank);
    }

    QStringList missing;
    for (const auto& [firstLine, unit] : units(text)) {
        QStringList found;
        for (auto m = code.globalMatch(unit); m.hasNext();)
            found += pathsInSpan(m.next().captured(1));
        // The folders the unit names: a path's folder part ("app/" of "app/main.cpp").
        QStringList folders;
        for (const QString& path : found) {
            const qsizetype slash = path.lastIndexOf(u'/');
            if (slash >= 0 && !folders.contains(path.left(slash + 1)))
                folders.append(path.left(slash + 1));
        }
        for (const QString& path : found) {
            bool ok = existsIn(root, QString(), path);
            if (!ok && !path.contains(u'/')) {
                if (folders.isEmpty()) {
                    ok = existsInTree(root, path);
                } else {
                    ok = std::any_of(folders.cbegin(), folders.cend(),
                                     [&](const QString& folder) { return existsIn(root, folder, path); });
                }
            }
            if (!ok) {
                const qsizetype at = unit.indexOf(path);
                const int line = firstLine + int(unit.left(at).count(u'\n'));
                missing.append(QStringLiteral("%1 (line %2)").arg(path).arg(line));
            }
        }
    }
    return missing;
}

} // namespace

class TestArchDoc : public QObject
{
    Q_OBJECT

private slots:
    void architectureNamesOnlyWhatExists()
    {
        QFile doc(QDir(sourceRoot()).filePath(QStringLiteral("docs/ARCHITECTURE.md")));
        QVERIFY2(doc.open(QIODevice::ReadOnly), qPrintable(doc.fileName()));
        const QStringList missing = MissingDocPaths(QString::fromUtf8(doc.readAll()), sourceRoot());
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("docs/ARCHITECTURE.md names what does not exist: ") +
                                               missing.join(QStringLiteral(", "))));
    }

    void catchesWhatIsMissing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("missing");
        QTest::newRow("file with a folder")
            << QStringLiteral("The guard (`common/Guard.h`) and `common/NoSuchGuard.h`.")
            << QStringList{QStringLiteral("common/NoSuchGuard.h (line 1)")};
        QTest::newRow("folder") << QStringLiteral("Tests in `tests/support/` and `tests/nowhere/`.")
                                << QStringList{QStringLiteral("tests/nowhere/ (line 1)")};
        QTest::newRow("in an include") << QStringLiteral("Write `#include \"print/Nothing.h\"`.")
                                       << QStringList{QStringLiteral("print/Nothing.h (line 1)")};
        QTest::newRow("stem in its row's folder")
            << QStringLiteral("| `common/` | the guard (`Guard.*`) and the clock (`Clock.*`), not `Hourglass.*` |")
            << QStringList{QStringLiteral("Hourglass.* (line 1)")};
        QTest::newRow("name in another folder than its row's")
            << QStringLiteral("| `print/` | the guard `Guard.h` |") << QStringList{QStringLiteral("Guard.h (line 1)")};
        QTest::newRow("name found in the tree") << QStringLiteral("Read `check-layers.sh`, not `check-nothing.sh`.")
                                                << QStringList{QStringLiteral("check-nothing.sh (line 1)")};
        QTest::newRow("line of a later paragraph")
            << QStringLiteral("First `CONTRIBUTING.md`.\n\nThen\n`docs/NOTES.md`.")
            << QStringList{QStringLiteral("docs/NOTES.md (line 4)")};
        QTest::newRow("no repository paths")
            << QStringLiteral("`$XDG_DATA_HOME/quillmate`, `<prefix>/share/x/`, `/usr/bin/git`, `D_M->ADOQ_zb`")
            << QStringList{};
        QTest::newRow("fenced block names nothing")
            << QStringLiteral("```\n`nothing/here.h`\n```\n`README.md`") << QStringList{};
    }

    void catchesWhatIsMissing()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, missing);
        QCOMPARE(MissingDocPaths(text, sourceRoot()), missing);
    }
};

QTEST_MAIN(TestArchDoc)
#include "tst_archdoc.moc"
