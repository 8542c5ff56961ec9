-- Headless Neovim (0.7 and later) as the server's client: started with vim.lsp.start_client
-- and attached to a pack's train.txt, it waits for the diagnostics, asks for the hover of the
-- first signal's position, then stops the client and waits for the server to end. What it
-- saw goes to the file $NVIM_OUT, one item a line.
local server = os.getenv('SCENARIO_LSP')
local file = os.getenv('TRAIN_FILE')
local out = os.getenv('NVIM_OUT')
local seen = {}
local function say(line) table.insert(seen, line) end

vim.cmd('edit ' .. vim.fn.fnameescape(file))
local buf = vim.api.nvim_get_current_buf()
local exit_code
local client_id = vim.lsp.start_client({
  name = 'scenario-lsp',
  cmd = { server },
  root_dir = vim.fn.fnamemodify(file, ':p:h'),
  on_exit = function(code) exit_code = code end,
})
vim.lsp.buf_attach_client(buf, client_id)

if not vim.wait(15000, function() return #vim.diagnostic.get(buf) > 0 end, 20) then
  say('no diagnostics within 15 s')
end
local severities = { 'error', 'warning', 'information', 'hint' }
for _, d in ipairs(vim.diagnostic.get(buf)) do
  say(string.format('diagnostic %d:%d %s %s: %s', d.lnum + 1, d.col + 1, severities[d.severity], d.code or '-', d.message))
end

local lines = vim.api.nvim_buf_get_lines(buf, 0, -1, false)
for i, text in ipairs(lines) do
  local column = text:find('%d', (text:find(',') or 0))
  if text:match('^segnale') and column then
    local params = { textDocument = { uri = vim.uri_from_bufnr(buf) }, position = { line = i - 1, character = column - 1 } }
    local answers = vim.lsp.buf_request_sync(buf, 'textDocument/hover', params, 10000) or {}
    for _, answer in pairs(answers) do
      if answer.result then say('hover ' .. string.format('%d:%d ', i, column) .. answer.result.contents.value:gsub('\n', ' | ')) end
    end
    break
  end
end

vim.lsp.stop_client(client_id)
vim.wait(10000, function() return exit_code ~= nil end, 20)
say('server exit ' .. tostring(exit_code))
vim.fn.writefile(seen, out)
vim.cmd('qa!')
