#pragma once
// The language server's core: messages in, messages out. It keeps the open documents, checks
// the scenario each belongs to after every change and publishes the diagnostics of all its
// files, and answers hovers, completions, code actions, outlines and formatting. Nothing here
// touches standard input or output: tools/scenario_lsp/main.cpp feeds it the bytes it reads
// and writes what comes back, and the tests feed it transcripts.
//
// Bad input never ends it and never loses an open document: a message that is not JSON or not
// a request, a header without a length, an unknown method, parameters not as the protocol
// gives them or a request for a document that is not open each get an error response (a
// notification, which takes none, a log message); a document larger than any description is
// kept by its size alone, with a diagnostic that says so. The protocol's shutdown and exit
// end it: status 0 after shutdown, 1 without it.

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "lsp/documents.h"
#include "lsp/framing.h"
#include "lsp/scenario_check.h"
#include "sources/messages.h"

namespace compactor::lsp {

// JSON-RPC and protocol error codes.
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kInternalError = -32603;
inline constexpr int kServerNotInitialized = -32002;
inline constexpr int kRequestFailed = -32803;

struct ServerOptions {
  std::string version;               // the server's, for serverInfo
  Language language = Language::en;  // until initialize gives the client's locale
};

class Server {
 public:
  explicit Server(ServerOptions options) : options_(std::move(options)), language_(options_.language) {}

  // One message of the client; the responses and notifications that go back, in order.
  std::vector<nlohmann::json> handle(const nlohmann::json& message);
  // A problem of the stream: the error response to a message whose id cannot be known.
  std::vector<nlohmann::json> problem(const Message& message, int code);
  // Once the messages at hand are handled: the diagnostics of every scenario changed since.
  std::vector<nlohmann::json> idle();

  // The status to end with, once exit has come.
  std::optional<int> exit_status() const { return exit_status_; }
  // The status to end with when the input ends: 0 after shutdown, else 1.
  int status_at_end() const { return shut_down_ ? 0 : 1; }
  Language language() const { return language_; }

 private:
  struct UnitState {
    Unit unit;
    bool dirty = true;
    bool unpublished = false;
    UnitCheck check;
    std::set<std::string> published;  // URIs given diagnostics last time
  };

  nlohmann::json request(const std::string& method, const nlohmann::json& params);
  void notification(const std::string& method, const nlohmann::json& params);
  nlohmann::json initialize(const nlohmann::json& params);

  // The open document a request names; throws RequestError when it is not open.
  const Document& document(const nlohmann::json& params) const;
  // The check of the document's scenario, made now when a change has not been checked yet.
  const UnitCheck& checked(const Document& d);
  void check(UnitState& state);
  // Decides again which scenario each open document of the folder belongs to (a partner
  // opened, closed or saved may change it); a scenario left with no open document has its
  // diagnostics taken back.
  void resolve(const std::optional<std::filesystem::path>& folder, const std::string& uri);
  // Every scenario that reads the document checks again.
  void changed(const Document& d);
  void publish(const std::string& key, UnitState& state, std::vector<nlohmann::json>& out) const;
  void log(const Message& message, int type = 1);

  ServerOptions options_;
  Language language_;
  DocumentStore documents_;
  std::map<std::string, UnitState> units_;
  std::map<std::string, std::string, std::less<>> unit_of_;  // document URI -> unit key
  std::vector<nlohmann::json> pending_;                      // notifications to send with the next answer
  bool initialized_ = false;
  bool shut_down_ = false;
  std::optional<int> exit_status_;
  bool snippets_ = false;
  bool hierarchical_symbols_ = false;
};

// The server behind the base protocol: bytes in, bytes out.
class Connection {
 public:
  explicit Connection(ServerOptions options) : server_(std::move(options)) {}
  // Handles every whole message in the bytes (and those held from before), then publishes
  // what changed; the framed messages to send back.
  std::string feed(std::string_view bytes);
  // The input has ended: what was wrong with a message it left unfinished, for standard
  // error; empty when none was.
  std::string finish();
  std::optional<int> exit_status() const { return server_.exit_status(); }
  int status_at_end() const { return server_.status_at_end(); }

 private:
  MessageReader reader_;
  Server server_;
};

}  // namespace compactor::lsp
