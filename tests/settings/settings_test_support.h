// The per-user stores the settings tests write and read, all in one temporary configuration
// directory of the test process.
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <string>

namespace gapscope::test {

// To be registered with ::testing::AddGlobalTestEnvironment, so that it is set before the
// first settings object of the process, which fixes where stores live.
class ConfigHome : public ::testing::Environment {
  public:
    void SetUp() override {
        dir_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(dir_->isValid());
        qputenv("XDG_CONFIG_HOME", dir_->path().toLocal8Bit());
    }
    void TearDown() override { dir_.reset(); }

  private:
    std::unique_ptr<QTemporaryDir> dir_;
};

// The file of the store that ReadStoredOptions(baseName) reads.
inline QString StoreFile(const std::string& baseName) {
    return qEnvironmentVariable("XDG_CONFIG_HOME") + "/Quillan/" +
           QString::fromStdString(baseName) + ".conf";
}

// Writes `bytes` as the whole store, as they are.
inline void WriteStore(const std::string& baseName, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(StoreFile(baseName)).absolutePath());
    QFile file(StoreFile(baseName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The whole store as it is on disk; empty when there is none.
inline QByteArray ReadStore(const std::string& baseName) {
    QFile file(StoreFile(baseName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace gapscope::test
