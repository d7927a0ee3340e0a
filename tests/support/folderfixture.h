#pragma once

// A test fixture with a temporary folder of its own and the file helpers that
// tests of file readers and writers need.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace Kernwick::Test {

class FolderTest : public ::testing::Test
{
protected:
    /// The path of `name` in the test's folder.
    QString path(const QString &name) const { return m_dir.filePath(name); }

    /// Writes `bytes` to `name` and returns its path.
    QString write(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
        f.write(bytes);
        return path(name);
    }

    /// The bytes of `name`; empty when it cannot be read.
    QByteArray read(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

} // namespace Kernwick::Test
