#pragma once

#include "platform/Services.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <map>
#include <string>
#include <vector>

namespace pellimor::test {

// What the windows asked of the outside world, recorded instead of done.
struct ShownMessage { QString text; int style; QString title; };

class FakeMessages final : public IMessages {
public:
    QList<ShownMessage> shown;
    void show(const QString& text, int style, const QString& title) override { shown.append({text, style, title}); }
};

class FakeBrowser final : public IBrowser {
public:
    QList<QUrl> opened;
    bool answer = true;
    bool open(const QUrl& url) override { opened << url; return answer; }
};

class FakeLauncher final : public IProcessLauncher {
public:
    struct Start { QString path; int windowStyle; };
    QList<Start> started;          // every attempt, failed ones included
    QList<QString> fileChecks;
    QList<QString> existingFiles;  // what normalFileExists answers true for
    bool startSucceeds = true;     // an empty path never starts

    bool start(const QString& path, int windowStyle) override
    {
        started.append({path, windowStyle});
        return startSucceeds && !path.isEmpty();
    }
    bool normalFileExists(const QString& path) override
    {
        fileChecks << path;
        return existingFiles.contains(path);
    }
};

// The local machine's keys with their typed values. It keeps count of what is opened and
// closed so tests can see every opened key closed again.
class FakeRegistry final : public IRegistry {
public:
    struct Value { std::uint32_t type; std::vector<char> bytes; };
    std::map<std::string, std::map<std::string, Value>> keys;   // key path -> value name -> value
    std::vector<std::uint32_t> accessRequested;
    int opened = 0;
    int closed = 0;       // handles from a successful open that were closed
    int closeCalls = 0;   // every close, a handle from a failed open included

    void setString(const std::string& keyPath, const std::string& name, const std::string& text)
    {
        keys[keyPath][name] = Value{StringType, std::vector<char>(text.c_str(), text.c_str() + text.size() + 1)};
    }

    long open(Key root, const std::string& subKey, std::uint32_t, std::uint32_t access, Key& key) override
    {
        accessRequested.push_back(access);
        const auto found = keys.find(subKey);
        key = 0;
        if (root != LocalMachine || found == keys.end())
            return NotFound;
        m_open.push_back(&found->second);
        key = m_open.size();
        ++opened;
        return Success;
    }
    long query(Key key, const std::string& name, std::uint32_t& type, std::vector<char>& buffer,
               std::uint32_t& size) override
    {
        if (key == 0 || key > m_open.size())
            return 6;   // ERROR_INVALID_HANDLE
        const auto value = m_open[key - 1]->find(name);
        if (value == m_open[key - 1]->end())
            return NotFound;
        if (value->second.bytes.size() > buffer.size())
            return MoreData;
        std::copy(value->second.bytes.begin(), value->second.bytes.end(), buffer.begin());
        type = value->second.type;
        size = std::uint32_t(value->second.bytes.size());
        return Success;
    }
    long close(Key key) override
    {
        ++closeCalls;
        closed += key != 0;
        return Success;
    }

private:
    std::vector<const std::map<std::string, Value>*> m_open;
};

// A fresh set of fakes for one test.
struct FakeServices {
    FakeMessages messages;
    FakeLauncher launcher;
    FakeRegistry registry;
    FakeBrowser browser;
    Services services() { return Services{messages, launcher, registry, browser}; }
};

} // namespace pellimor::test
