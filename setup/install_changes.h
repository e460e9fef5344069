#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/registry.h"

namespace qm::setup {

class SetupServices;

// Every change an installation makes to files and the registry goes through here, which
// records how to take it back: a run that fails or is cancelled undoes its changes in
// reverse order and puts back what it replaced; a run that succeeds keeps them and throws the
// saved copies away. A replaced file is kept by renaming it aside in its own directory, so
// that putting it back cannot fail for want of space and keeps its permissions and times.
class CInstallChanges {
  public:
    CInstallChanges() = default;
    // Keeps the record in this file too while the run goes on, so that a run that was killed
    // can be undone by the next Setup (RecoverInterrupted). False when the file cannot be
    // made; the record is then kept in memory only.
    bool OpenJournal(const std::string& path);
    // Undoes the runs whose journals lie in the folder and whose Setup no longer runs.
    // Returns how many were undone.
    static int RecoverInterrupted(const std::string& folder, SetupServices& services);
    static constexpr const char* kJournalPrefix = "setup-rollback-";
    static constexpr const char* kJournalExtension = ".journal";

    CInstallChanges(const CInstallChanges&) = delete;
    CInstallChanges& operator=(const CInstallChanges&) = delete;
    ~CInstallChanges();

    // Creates the directory with its missing parents; true when it exists afterwards. `made`
    // gets every directory created, parents first, each with a trailing separator.
    bool CreateDirectories(const std::string& path, std::vector<std::string>* made = nullptr);
    // Notes a file that was just created (by a copy to a new name).
    void FileCreated(const std::string& path);
    // Moves an existing file aside before it is replaced; false when that is not possible.
    bool SetAside(const std::string& path);
    // Puts the file set aside last back at once (its replacement failed).
    void PutBackLast();
    // Creates or truncates a file with this content.
    bool WriteFile(const std::string& path, const std::string& content, unsigned mode);

    bool CreateKey(RegistryRoot root, const std::string& key);
    bool SetString(RegistryRoot root, const std::string& key, const std::string& name,
                   const std::string& value);
    bool SetDword(RegistryRoot root, const std::string& key, const std::string& name,
                  std::uint32_t value);
    // Notes a library or program that registered itself, so that undoing unregisters it.
    void ServerRegistered(const std::string& library);
    void ProgramRegistered(const std::string& program);

    // Takes back every change, newest first.
    void Undo(SetupServices& services);
    // Keeps the changes and removes the copies of what they replaced.
    void Keep();

  private:
    struct DirectoryMade {
        std::string path;
    };
    struct FileMade {
        std::string path;
    };
    struct FileSetAside {
        std::string path;
        std::string saved;
    };
    struct KeyMade {
        RegistryRoot root;
        std::string key;
    };
    struct ValueWritten {
        RegistryRoot root;
        std::string key;
        std::string name;
        std::optional<std::string> oldString;
        std::optional<std::uint32_t> oldDword;
    };
    struct ServerCalled {
        std::string library;
    };
    struct ProgramStarted {
        std::string program;
    };
    using Change = std::variant<DirectoryMade, FileMade, FileSetAside, KeyMade, ValueWritten,
                                ServerCalled, ProgramStarted>;

    void Record(Change change);
    void Journal(const std::vector<std::string>& fields);
    void CloseJournal();
    bool ReadJournalLine(const std::string& line);

    void NoteKeyParents(RegistryRoot root, const std::string& key,
                        std::vector<std::string>& missing);
    ValueWritten Before(RegistryRoot root, const std::string& key, const std::string& name);

    std::vector<Change> changes_;
    int journal_ = -1;
    std::string journalPath_;
};

}  // namespace qm::setup
