#include "platform/set_commit.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <thread>

#include "platform/hidden_names.h"
#include "platform/stop_cleanup.h"
#include "sources/file_names.h"

namespace compactor {
namespace {

constexpr std::string_view kJournalHead = "compactor set 1";

struct Entry {
  std::string name;    // the file's own name
  std::string temp;    // its finished temporary
  std::string backup;  // a second name of the old file; empty when there was none
};

struct Journal {
  std::vector<Entry> entries;
  bool complete = false;     // written to its end: the renames may have begun
  bool rolling_back = false;  // the old set was being put back
};

// Names are kept as UTF-8, whatever the system's own encoding of paths.
std::string utf8_name(const std::filesystem::path& path) {
  const std::u8string u8 = path.filename().u8string();
  return std::string(u8.begin(), u8.end());
}
std::filesystem::path at(const std::filesystem::path& folder, const std::string& name) {
  return folder / std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::string journal_text(const std::vector<Entry>& entries) {
  std::string text = std::string(kJournalHead) + "\n";
  for (const Entry& e : entries)
    text += "file\t" + e.name + "\t" + e.temp + "\t" + (e.backup.empty() ? "-" : e.backup) + "\n";
  return text + "end\n";
}

// A plain name inside the folder, never a path out of it.
bool plain_name(std::string_view n) {
  return !n.empty() && n != "." && n != ".." && n.find_first_of("/\\:") == std::string_view::npos;
}

// A temporary or backup of the file: a hidden name made from the file's own (this release's
// ".N.compactor-tmp-XXXXXX", or an earlier one's ".N.new-XXXXXX" and ".N.set-old"), so that
// a journal names nothing else for removal.
bool hidden_name_of(std::string_view hidden, std::string_view name) {
  return plain_name(hidden) && hidden.size() > name.size() + 2 && hidden[0] == '.' &&
         hidden.substr(1, name.size()) == name && hidden[1 + name.size()] == '.';
}

// A journal cut short (the run was killed while writing it, before any rename) reads as
// incomplete; one that is complete and still does not read is damaged (nullopt).
std::optional<Journal> parse_journal(std::string_view text) {
  Journal j;
  for (size_t line_no = 0; !text.empty(); ++line_no) {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) break;  // a last line cut short
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (j.complete) {
      if (line != "rollback") return std::nullopt;
      j.rolling_back = true;
    } else if (line_no == 0) {
      if (line != kJournalHead) return std::nullopt;
    } else if (line == "end") {
      j.complete = true;
    } else {
      std::vector<std::string> f;
      std::string_view rest = line;
      for (size_t tab; (tab = rest.find('\t')) != std::string_view::npos; rest.remove_prefix(tab + 1))
        f.emplace_back(rest.substr(0, tab));
      f.emplace_back(rest);
      if (f.size() != 4 || f[0] != "file" || !plain_name(f[1]) || !hidden_name_of(f[2], f[1]) ||
          (f[3] != "-" && !hidden_name_of(f[3], f[1])))
        return std::nullopt;
      j.entries.push_back({f[1], f[2], f[3] == "-" ? std::string() : f[3]});
    }
  }
  return j;
}

Message names_of(const std::vector<Entry>& entries) {
  std::string out;
  for (const Entry& e : entries) out += (out.empty() ? "" : ", ") + e.name;
  return out.empty() ? msg(MessageId::recovery_files) : msg(MessageId::text, out);
}

// What a clean-up removed: how many files and how many bytes they held.
struct Removed {
  size_t files = 0;
  uintmax_t bytes = 0;
  std::vector<std::string> names;

  // Removes the file when it is there; throws FileError when it cannot.
  void remove(const std::filesystem::path& path) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (!file_exists(path)) return;
    delete_file(path);
    ++files;
    bytes += ec ? 0 : size;
    names.push_back(utf8_name(path));
  }
};

// "2 files (41.2 MB): .a.compactor-tmp-x1Y2z3, ..." for a note.
Message removed_text(const Removed& removed) {
  char size[32];
  Message amount;
  if (removed.bytes < 1000) {
    amount = msg(MessageId::size_bytes, std::to_string(removed.bytes));
  } else {
    const bool kb = removed.bytes < 1000000;
    std::snprintf(size, sizeof size, "%.1f", static_cast<double>(removed.bytes) / (kb ? 1e3 : 1e6));
    amount = msg(kb ? MessageId::size_kb : MessageId::size_mb, size);
  }
  constexpr size_t kNamed = 4;
  std::string names;
  for (size_t i = 0; i < removed.names.size() && i < kNamed; ++i) names += (i == 0 ? "" : ", ") + removed.names[i];
  const Message more = removed.names.size() > kNamed
                           ? msg(MessageId::removed_more, std::to_string(removed.names.size() - kNamed))
                           : msg(MessageId::empty);
  return Message{removed.files == 1 ? MessageId::removed_one : MessageId::removed_many,
                 {std::to_string(removed.files), names},
                 {amount, more}};
}

// Runs a step of a clean-up; the first failure ("PATH: REASON") is kept and the rest still run.
struct Attempts {
  std::optional<Message> first_problem;
  template <typename F>
  void operator()(F step) {
    try {
      step();
    } catch (const FileError& e) {
      if (!first_problem) first_problem = e.message();
    }
  }
};

// Puts the old set back: a file already renamed gets its backup back (or goes, when it is
// new), the rest keep theirs; then the temporaries, the backups and the journal go. The
// journal is marked first, so that a run killed half way through is undone, not finished.
// Returns the first problem putting a file back (none when the old set is whole again);
// a temporary or backup that cannot be removed afterwards is only noted in left.
std::optional<Message> roll_back(const std::filesystem::path& folder, const std::vector<Entry>& entries,
                                 const std::vector<bool>& renamed, bool mark,
                                 std::optional<Message>* left = nullptr, Removed* removed = nullptr) {
  Attempts attempt;
  if (mark) attempt([&] { write_file_durably(folder / kJournalName, "rollback\n", true); });
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    if (!renamed[i]) continue;  // the old file is in place
    if (e.backup.empty())
      attempt([&] { delete_file(at(folder, e.name)); });
    else if (file_exists(at(folder, e.backup)))
      attempt([&] { rename_file(at(folder, e.backup), at(folder, e.name)); });
  }
  // A file not put back keeps its backup, and everything else stays for the next run.
  if (attempt.first_problem) return attempt.first_problem;
  // The old set is whole: what cannot be removed now (a backup of a file another program
  // holds open, on Windows) is a stale file the next run removes.
  Attempts tidy;
  Removed tally;
  for (const Entry& e : entries) {
    tidy([&] { tally.remove(at(folder, e.temp)); });
    if (!e.backup.empty()) tidy([&] { tally.remove(at(folder, e.backup)); });
  }
  if (removed) *removed = tally;
  tidy([&] { sync_folder(folder); });
  tidy([&] { delete_file(folder / kJournalName); });
  if (left) *left = tidy.first_problem;
  return std::nullopt;
}

}  // namespace

std::vector<Message> commit_file_set(const std::filesystem::path& folder,
                                         std::vector<std::unique_ptr<PendingFile>>& files) {
  if (files.empty()) return {};
  std::vector<Entry> entries;
  std::vector<RemovedOnStop> backups_on_stop;  // until the switch, a stop removes the backups
  try {
    for (const auto& f : files) {
      Entry e{utf8_name(f->path()), utf8_name(f->temporary()), std::string()};
      std::error_code ec;
      const auto status = std::filesystem::symlink_status(f->path(), ec);
      if (std::filesystem::is_directory(status))
        throw FileError(f->path(),
                        Message{MessageId::fe_replace, {}, {msg(MessageId::reason_folder_in_place)}});
      if (file_exists(f->path())) {
        do e.backup = new_hidden_name(e.name, kBackupInfix);
        while (file_exists(at(folder, e.backup)));
        backups_on_stop.emplace_back(at(folder, e.backup));
        entries.push_back(e);
        try {
          link_or_copy_file(f->path(), at(folder, e.backup));
        } catch (const FileError& le) {
          throw FileError(f->path(), Message{MessageId::fe_keep_aside, {}, {le.reason_message()}});
        }
      } else {
        entries.push_back(e);
      }
    }
  } catch (const FileError&) {
    Attempts attempt;
    for (const Entry& e : entries)
      if (!e.backup.empty()) attempt([&] { delete_file(at(folder, e.backup)); });
    throw;
  }
  // From the journal until every file is renamed (or put back), a stop leaves every file to
  // the next run, as a kill does.
  std::optional<SwitchUnderway> switching;
  switching.emplace();
  try {
    // The journal's bytes are flushed; its name and the backups' need no flush of their own:
    // a journaling file system commits them no later than the renames that follow, and
    // a killed process loses nothing the system already has.
    write_file_durably(folder / kJournalName, journal_text(entries));
  } catch (const FileError&) {
    Attempts attempt;
    for (const Entry& e : entries)
      if (!e.backup.empty()) attempt([&] { delete_file(at(folder, e.backup)); });
    attempt([&] { delete_file(folder / kJournalName); });
    throw;
  }
  size_t renamed = 0;
  try {
    for (; renamed < files.size(); ++renamed) files[renamed]->commit();
    sync_folder(folder);
  } catch (const FileError& e) {
    std::vector<bool> done(entries.size(), false);
    for (size_t i = 0; i < renamed; ++i) done[i] = true;
    std::optional<Message> left;
    const std::optional<Message> problem = roll_back(folder, entries, done, true, &left);
    files.clear();  // the temporaries not renamed
    if (!problem && !left) throw;
    if (!problem)
      throw FileError(e.path(), Message{MessageId::fe_left_for_next_run, {}, {e.reason_message(), *left}});
    throw FileError(e.path(), Message{MessageId::fe_not_put_back, {}, {e.reason_message(), *problem}});
  }
  // The new set is in place: what is left to remove is a stop's to remove too.
  switching.reset();
  std::vector<Message> notes;
  auto remove = [&](const std::filesystem::path& path) {
    try {
      delete_file(path);
    } catch (const FileError& e) {
      notes.push_back(Message{MessageId::recovery_backup_left, {}, {e.message()}});
    }
  };
  for (const Entry& e : entries)
    if (!e.backup.empty()) remove(at(folder, e.backup));
  remove(folder / kJournalName);
  return notes;
}

namespace {

// Finishes the switch when every new file is in place, puts the old set back otherwise.
void recover_set(const std::filesystem::path& folder, const Journal& journal, std::vector<Message>& notes) {
  const std::filesystem::path journal_path = folder / kJournalName;
  const std::string shown = FileError::display_path(folder);
  const std::vector<Entry>& entries = journal.entries;
  // A temporary that is gone was renamed over its file.
  std::vector<bool> renamed;
  for (const Entry& e : entries) renamed.push_back(!file_exists(at(folder, e.temp)));
  const bool all_renamed = std::find(renamed.begin(), renamed.end(), false) == renamed.end();
  Removed removed;
  auto and_removed = [&] {
    return removed.files == 0 ? msg(MessageId::empty)
                              : Message{MessageId::recovery_and_removed, {}, {removed_text(removed)}};
  };
  if (!journal.complete) {
    // Killed before the first rename: no file was replaced; the temporaries and backups the
    // journal got to name go now, the others with the stale ones.
    Attempts attempt;
    for (const Entry& e : entries) {
      attempt([&] { removed.remove(at(folder, e.temp)); });
      if (!e.backup.empty()) attempt([&] { removed.remove(at(folder, e.backup)); });
    }
    if (attempt.first_problem) throw FileError(journal_path, *attempt.first_problem);
    delete_file(journal_path);
    notes.push_back(Message{MessageId::recovery_cleaned, {shown}, {and_removed()}});
  } else if (all_renamed && !journal.rolling_back) {
    Attempts attempt;
    for (const Entry& e : entries)
      if (!e.backup.empty()) attempt([&] { removed.remove(at(folder, e.backup)); });
    if (attempt.first_problem) throw FileError(journal_path, *attempt.first_problem);
    delete_file(journal_path);
    notes.push_back(Message{MessageId::recovery_finished, {shown}, {names_of(entries), and_removed()}});
  } else {
    const std::optional<Message> problem =
        roll_back(folder, entries, renamed, !journal.rolling_back, nullptr, &removed);
    if (problem) throw FileError(journal_path, Message{MessageId::fe_cannot_undo, {}, {*problem}});
    notes.push_back(Message{MessageId::recovery_undone, {shown}, {names_of(entries), and_removed()}});
  }
}

// Removes the temporaries and backups that killed runs left beside the files this writer
// writes (every file of a build when it names none), and says what and how much; a
// failure is one note.
void remove_stale(const std::filesystem::path& folder, const std::vector<std::string>& own,
                  std::vector<Message>& notes) {
  std::error_code ec;
  std::vector<std::filesystem::path> stale;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = utf8_name(it->path());
    const std::optional<std::string_view> owner = hidden_file_owner(name);
    if (owner && (own.empty() ? has_build_file_suffix(*owner) : std::find(own.begin(), own.end(), *owner) != own.end()))
      stale.push_back(it->path());
  }
  std::sort(stale.begin(), stale.end());
  Removed removed;
  for (const auto& path : stale) {
    try {
      removed.remove(path);
    } catch (const FileError& e) {
      notes.push_back(Message{MessageId::recovery_temporary_left, {}, {e.message()}});
    }
  }
  if (removed.files > 0)
    notes.push_back(Message{MessageId::recovery_stale, {FileError::display_path(folder)}, {removed_text(removed)}});
}

}  // namespace

std::vector<Message> recover_folder(const std::filesystem::path& folder, const std::vector<std::string>& own) {
  std::vector<Message> notes;
  const std::filesystem::path journal_path = folder / kJournalName;
  if (const std::optional<std::string> text =
          read_whole_file(journal_path, {kMostJournalBytes, MessageId::limit_journal})) {
    const std::optional<Journal> journal = parse_journal(*text);
    if (journal)
      recover_set(folder, *journal, notes);
    else if (text->find("\nend\n") == std::string::npos)
      recover_set(folder, Journal{}, notes);  // cut short while it was written
    else
      throw FileError(journal_path, msg(MessageId::fe_journal_unreadable));
  }
  remove_stale(folder, own, notes);
  return notes;
}

bool has_interrupted_write(const std::filesystem::path& folder) { return file_exists(folder / kJournalName); }

Message mixed_set_message(const std::filesystem::path& folder) {
  return msg(MessageId::mixed_set, FileError::display_path(folder));
}

std::string mixed_set_text(const std::filesystem::path& folder) { return render(mixed_set_message(folder), Language::en); }

FolderSession::FolderSession(const std::filesystem::path& folder, const std::vector<std::string>& own,
                             std::chrono::milliseconds wait) {
  if (folder.empty()) throw FileError(folder, msg(MessageId::fe_no_folder));
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (!(lock_ = try_lock_folder(folder))) {
    if (std::chrono::steady_clock::now() >= deadline) throw FileError(folder, msg(MessageId::fe_folder_busy));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  notes_ = recover_folder(folder, own);
}

}  // namespace compactor
