-- Records what Neovim's own language-server client sends in a short
-- session of an author's work, as seeds of the language server's fuzz
-- target (fuzz/record-sessions runs it; ZEL_RECORDER is a zeltool that
-- keeps its input): opens the three files of a linked adventure, types an
-- action a letter at a time in the last, asks for hover, completion,
-- definition, references, the outline, folding and code actions, undoes,
-- and ends.
local dir, timeout = os.getenv('ZEL_SESSION_DIR'), 5000
local published = 0
local id = vim.lsp.start_client({
  name = 'zel', cmd = { os.getenv('ZEL_RECORDER') }, root_dir = dir,
  flags = { debounce_text_changes = 0 },
  handlers = { ['textDocument/publishDiagnostics'] = function() published = published + 1 end },
})
local buf
for _, name in ipairs({ 'GAME.SCE', 'SHORE.SCE', 'CAVE.SCE' }) do
  vim.cmd('edit ' .. vim.fn.fnameescape(dir .. '/' .. name))
  buf = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(buf, id)
end
local client = vim.lsp.get_client_by_id(id)
vim.wait(timeout, function() return client.initialized end, 10)
vim.wait(timeout, function() return published > 0 end, 10)

local function ask(method, params)
  params.textDocument = { uri = vim.uri_from_bufnr(buf) }
  client.request_sync(method, params, timeout, buf)
end

-- " MES 0" typed under "GET 0", each letter a change.
local line = 7
vim.api.nvim_buf_set_lines(buf, line, line, true, { '' })
for i, ch in ipairs(vim.split(' MESSAGE 0', '')) do
  vim.api.nvim_buf_set_text(buf, line, i - 1, line, i - 1, { ch })
  vim.wait(30)
end
local at = { line = line, character = 9 }
for _, method in ipairs({ 'textDocument/hover', 'textDocument/completion', 'textDocument/definition',
                          'textDocument/signatureHelp', 'textDocument/documentHighlight' }) do
  ask(method, { position = at })
end
ask('textDocument/references', { position = { line = 5, character = 5 }, context = { includeDeclaration = true } })
ask('textDocument/documentSymbol', {})
ask('textDocument/foldingRange', {})
ask('textDocument/codeAction', { range = { start = at, ['end'] = at }, context = { diagnostics = {} } })
vim.cmd('silent undo')
vim.wait(100)
vim.lsp.stop_client(id)
vim.wait(timeout, function() return vim.lsp.get_client_by_id(id) == nil end, 10)
vim.cmd('qall!')
