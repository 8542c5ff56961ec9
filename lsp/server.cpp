#include "lsp/server.h"

#include <algorithm>

#include "lsp/features.h"

namespace compactor::lsp {
namespace {

using nlohmann::json;

// A request that cannot be answered, with the error response's code.
struct RequestError {
  int code;
  Message message;
};

constexpr int kLogError = 1, kLogInfo = 3;

json outgoing(std::string method, json params) {
  return {{"jsonrpc", "2.0"}, {"method", std::move(method)}, {"params", std::move(params)}};
}

json error_response(const json& id, int code, const std::string& message) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

bool overlaps(const Range& a, const Range& b) { return a.start <= b.end && b.start <= a.end; }

}  // namespace

std::vector<json> Server::problem(const Message& message, int code) {
  return {error_response(nullptr, code, render(message, language_))};
}

void Server::log(const Message& message, int type) {
  pending_.push_back(
      outgoing("window/logMessage", {{"type", type}, {"message", render(message, language_)}}));
}

std::vector<json> Server::handle(const json& message) {
  std::vector<json> out;
  if (exit_status_) return out;
  if (!message.is_object()) return problem(msg(MessageId::lsp_not_request), kInvalidRequest);
  const bool has_id = message.contains("id");
  const json id = has_id ? message["id"] : json(nullptr);
  const auto method = message.find("method");
  if (has_id && !id.is_number_integer() && !id.is_string())
    return problem(msg(MessageId::lsp_not_request), kInvalidRequest);
  if (method == message.end() || !method->is_string()) {
    // A response to a request of the server's: it sends none, so there is nothing to match.
    if (has_id && (message.contains("result") || message.contains("error"))) return out;
    if (!has_id) return problem(msg(MessageId::lsp_not_request), kInvalidRequest);
    return {error_response(id, kInvalidRequest, render(msg(MessageId::lsp_not_request), language_))};
  }
  const std::string& name = method->get_ref<const std::string&>();
  const json params = message.contains("params") ? message["params"] : json::object();
  if (!has_id) {
    try {
      notification(name, params);
    } catch (const json::exception& e) {
      log(msg(MessageId::lsp_bad_params, name, e.what()));
    } catch (const std::exception& e) {
      log(msg(MessageId::lsp_failed, name, e.what()));
    }
  } else {
    json response;
    try {
      response = {{"jsonrpc", "2.0"}, {"id", id}, {"result", request(name, params)}};
    } catch (const RequestError& e) {
      response = error_response(id, e.code, render(e.message, language_));
    } catch (const json::exception& e) {
      response = error_response(id, kInvalidParams,
                                render(msg(MessageId::lsp_bad_params, name, e.what()), language_));
    } catch (const std::exception& e) {
      response =
          error_response(id, kInternalError, render(msg(MessageId::lsp_failed, name, e.what()), language_));
    }
    out.push_back(std::move(response));
  }
  out.insert(out.end(), pending_.begin(), pending_.end());
  pending_.clear();
  return out;
}

json Server::initialize(const json& params) {
  if (const auto locale = params.find("locale");
      locale != params.end() && locale->is_string() && !locale->get_ref<const std::string&>().empty())
    language_ = language_of_locale(locale->get<std::string>(), std::nullopt, std::nullopt);
  const json capabilities = params.value("capabilities", json::object());
  const json text = capabilities.value("textDocument", json::object());
  snippets_ = text.value("completion", json::object())
                  .value("completionItem", json::object())
                  .value("snippetSupport", false);
  hierarchical_symbols_ =
      text.value("documentSymbol", json::object()).value("hierarchicalDocumentSymbolSupport", false);
  initialized_ = true;
  return {{"capabilities",
           {{"positionEncoding", "utf-16"},
            {"textDocumentSync", {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
            {"hoverProvider", true},
            {"completionProvider", {{"triggerCharacters", {"["}}, {"resolveProvider", false}}},
            {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
            {"documentSymbolProvider", true},
            {"documentFormattingProvider", true}}},
          {"serverInfo", {{"name", "scenario-lsp"}, {"version", options_.version}}}};
}

const Document& Server::document(const json& params) const {
  const std::string& uri = params.at("textDocument").at("uri").get_ref<const std::string&>();
  const Document* d = documents_.find(uri);
  if (!d) throw RequestError{kRequestFailed, msg(MessageId::lsp_not_open, uri)};
  return *d;
}

json Server::request(const std::string& method, const json& params) {
  if (method == "initialize") return initialize(params);
  if (!initialized_) throw RequestError{kServerNotInitialized, msg(MessageId::lsp_not_initialized)};
  if (shut_down_) throw RequestError{kInvalidRequest, msg(MessageId::lsp_shut_down)};
  if (method == "shutdown") {
    shut_down_ = true;
    return nullptr;
  }
  const bool on_document = method == "textDocument/hover" || method == "textDocument/completion" ||
                           method == "textDocument/codeAction" || method == "textDocument/documentSymbol" ||
                           method == "textDocument/formatting";
  if (!on_document) throw RequestError{kMethodNotFound, msg(MessageId::lsp_unknown_method, method)};
  const Document& d = document(params);
  const std::optional<Format> format = format_of(d);
  if (method == "textDocument/codeAction") {
    const Range range = range_from_json(params.at("range"));
    json actions = json::array();
    const json only = params.value("context", json::object()).value("only", json::array());
    if (!only.empty() && std::find(only.begin(), only.end(), json("quickfix")) == only.end()) return actions;
    const UnitCheck& check = checked(d);
    if (const auto it = check.actions.find(d.uri); it != check.actions.end())
      for (const StoredAction& a : it->second)
        if (overlaps(a.range, range)) actions.push_back(a.action);
    return actions;
  }
  if (method == "textDocument/documentSymbol")
    return format && !d.refused() ? document_symbols(d.text, *format, hierarchical_symbols_, d.uri, language_)
                                  : json::array();
  if (method == "textDocument/formatting") {
    if (d.refused())
      throw RequestError{kRequestFailed,
                         msg(MessageId::lsp_too_large_document, std::to_string(d.refused_bytes),
                             std::to_string(kMostDocumentBytes))};
    if (!format) throw RequestError{kRequestFailed, msg(MessageId::lsp_not_description, d.uri)};
    if (auto edits = formatting_edits(d.text, *format)) return *edits;
    throw RequestError{kRequestFailed, msg(MessageId::lsp_not_formatted)};
  }
  const Position at = position_from_json(params.at("position"));
  if (method == "textDocument/completion")
    return {{"isIncomplete", false},
            {"items",
             format && !d.refused() ? completion(d.text, *format, at, snippets_, language_) : json::array()}};
  // textDocument/hover
  if (!format || d.refused()) return nullptr;
  const UnitCheck& check = checked(d);
  const CompiledScenario compiled{check.model ? &*check.model : nullptr, check.acceleration};
  if (auto h = hover(d.text, *format, at, compiled, language_)) return *h;
  return nullptr;
}

void Server::notification(const std::string& method, const json& params) {
  if (method == "exit") {
    exit_status_ = shut_down_ ? 0 : 1;
    return;
  }
  // Before initialize every notification but exit is dropped, as the protocol says.
  if (!initialized_ || method == "initialized" || method.starts_with("$/")) return;
  if (method == "textDocument/didOpen") {
    const json& td = params.at("textDocument");
    const Document& d =
        documents_.open(td.at("uri").get<std::string>(), td.at("languageId").get<std::string>(),
                        td.at("version").get<int>(), td.at("text").get<std::string>());
    resolve(d.path ? std::optional(d.path->parent_path()) : std::nullopt, d.uri);
    changed(d);
  } else if (method == "textDocument/didChange") {
    const std::string& uri = params.at("textDocument").at("uri").get_ref<const std::string&>();
    Document* d = documents_.find(uri);
    if (!d) return log(msg(MessageId::lsp_change_not_open, uri));
    const int version = params.at("textDocument").value("version", d->version);
    try {
      documents_.change(*d, params.at("contentChanges"), version);
    } catch (...) {
      changed(*d);  // the changes before the bad one are applied
      throw;
    }
    changed(*d);
  } else if (method == "textDocument/didClose") {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const Document* d = documents_.find(uri);
    if (!d) return log(msg(MessageId::lsp_not_open, uri));
    const std::optional<std::filesystem::path> path = d->path;
    Document gone = *d;
    documents_.close(uri);
    for (auto& [key, state] : units_)
      if (state.unit.reads(gone)) state.dirty = true;
    resolve(path ? std::optional(path->parent_path()) : std::nullopt, uri);
  } else if (method == "textDocument/didSave") {
    const Document& d = document(params);
    resolve(d.path ? std::optional(d.path->parent_path()) : std::nullopt, d.uri);
    changed(d);
  } else if (method != "workspace/didChangeConfiguration" && method != "workspace/didChangeWatchedFiles") {
    log(msg(MessageId::lsp_unknown_method, method), kLogInfo);
  }
}

void Server::resolve(const std::optional<std::filesystem::path>& folder, const std::string& uri) {
  // The documents whose scenario may have changed: the one named and those of its folder.
  std::vector<const Document*> affected;
  for (const auto& [u, d] : documents_.all())
    if (u == uri || (folder && d.path && d.path->parent_path() == *folder)) affected.push_back(&d);
  if (!documents_.find(uri)) unit_of_.erase(uri);
  for (const Document* d : affected) {
    Unit unit = unit_of(*d, documents_);
    UnitState& state = units_[unit.key];
    if (unit_of_[d->uri] != unit.key) state.dirty = true;
    state.unit = std::move(unit);
    unit_of_[d->uri] = state.unit.key;
  }
  // A scenario that no open document belongs to any more takes its diagnostics back.
  for (auto it = units_.begin(); it != units_.end();) {
    const bool held =
        std::any_of(unit_of_.begin(), unit_of_.end(), [&](const auto& e) { return e.second == it->first; });
    if (held) {
      ++it;
      continue;
    }
    for (const std::string& u : it->second.published)
      if (!documents_.find(u) || unit_of_[u] == it->first)
        pending_.push_back(
            outgoing("textDocument/publishDiagnostics", {{"uri", u}, {"diagnostics", json::array()}}));
    it = units_.erase(it);
  }
}

void Server::changed(const Document& d) {
  for (auto& [key, state] : units_)
    if (state.unit.reads(d)) state.dirty = true;
}

const UnitCheck& Server::checked(const Document& d) {
  UnitState& state = units_.at(unit_of_.at(d.uri));
  if (state.dirty) check(state);
  return state.check;
}

void Server::check(UnitState& state) {
  try {
    state.check = check_unit(state.unit, documents_, language_);
  } catch (const std::exception& e) {
    // What the system refused (memory, a folder it cannot list) is said on every open
    // document of the scenario, and the server goes on.
    state.check = UnitCheck{};
    const json failure{{"range", to_json(Range{})},
                       {"severity", 1},
                       {"code", "failure"},
                       {"source", "scenario"},
                       {"message", render(msg(MessageId::lsp_failed, "check", e.what()), language_)}};
    for (const auto& [uri, key] : unit_of_)
      if (key == state.unit.key) state.check.diagnostics[uri] = json::array({failure});
  }
  state.dirty = false;
  state.unpublished = true;
}

void Server::publish(const std::string& key, UnitState& state, std::vector<json>& out) const {
  std::set<std::string> uris = state.published;
  for (const auto& [uri, list] : state.check.diagnostics) uris.insert(uri);
  for (const auto& [uri, unit] : unit_of_)
    if (unit == key) uris.insert(uri);
  std::set<std::string> published;
  for (const std::string& uri : uris) {
    // A document open in another scenario gets that scenario's diagnostics.
    if (const auto owner = unit_of_.find(uri); owner != unit_of_.end() && owner->second != key) continue;
    const auto it = state.check.diagnostics.find(uri);
    const json list = it == state.check.diagnostics.end() ? json::array() : it->second;
    json params{{"uri", uri}, {"diagnostics", list}};
    if (const Document* d = documents_.find(uri)) params["version"] = d->version;
    out.push_back(outgoing("textDocument/publishDiagnostics", std::move(params)));
    if (!list.empty()) published.insert(uri);
  }
  state.published = std::move(published);
}

std::vector<json> Server::idle() {
  std::vector<json> out = std::move(pending_);
  pending_.clear();
  if (exit_status_) return out;
  for (auto& [key, state] : units_) {
    if (state.dirty) check(state);
    if (!state.unpublished) continue;
    publish(key, state, out);
    state.unpublished = false;
  }
  return out;
}

std::string Connection::feed(std::string_view bytes) {
  std::string out;
  auto send = [&](const std::vector<json>& messages) {
    for (const json& m : messages) out += frame(m);
  };
  reader_.feed(bytes);
  while (!server_.exit_status()) {
    std::optional<Incoming> in = reader_.next();
    if (!in) break;
    if (in->message)
      send(server_.handle(*in->message));
    else
      send(server_.problem(*in->problem, in->parse_error ? kParseError : kInvalidRequest));
  }
  send(server_.idle());
  return out;
}

std::string Connection::finish() {
  const std::optional<Message> problem = reader_.finish();
  return problem ? render(*problem, server_.language()) : std::string();
}

}  // namespace compactor::lsp
