-- Drives Neovim's built-in language-server client (the API of Neovim 0.7 and
-- later) against `zeltool lsp` on a copy of the example adventure:
--   ZEL_ZELTOOL=zeltool ZEL_EXAMPLES=examples nvim --headless --clean -c 'luafile nvim_lsp.lua'
-- (ctest gives it a home of its own in the build tree, where the client keeps
-- its log): diagnostics, hover, definition, rename, signature help, document
-- highlight and workspace symbols. Exits 0 when every check holds, else
-- prints the failures and the client's log of the run on standard error and
-- exits 1.
local dir, timeout = vim.fn.tempname(), 10000
local failures = {}
local published = {}  -- uri -> the diagnostics of its latest publication
local log = vim.lsp.get_log_path()
local log_start = vim.fn.filereadable(log) == 1 and #vim.fn.readfile(log) or 0

local function expect(condition, message)
  if not condition then table.insert(failures, message) end
  return condition
end

local function wait_for(what, condition)
  return expect(vim.wait(timeout, condition, 20), 'timed out waiting for ' .. what)
end

local function on_publish(err, result, ctx, config)
  published[result.uri] = result.diagnostics
  vim.lsp.diagnostic.on_publish_diagnostics(err, result, ctx, config)
end

-- The first line (from 1) of the buffer that holds `text`, so that the
-- test follows the example when its comments change.
local function line_with(buf, text)
  for n, line in ipairs(vim.api.nvim_buf_get_lines(buf, 0, -1, true)) do
    if line:find(text, 1, true) then return n end
  end
  expect(false, string.format('no line holds %q', text))
  return 1
end

-- The position just inside `token`, found after `before` on the first line
-- that holds both.
local function position(buf, before, token)
  local line = line_with(buf, before .. token)
  local text = vim.api.nvim_buf_get_lines(buf, line - 1, line, true)[1]
  local at = text:find(before .. token, 1, true)
  return { line = line - 1, character = (at or 1) + #before }
end

local function request(client, buf, method, at)
  local response, err = client.request_sync(method,
    { textDocument = { uri = vim.uri_from_bufnr(buf) }, position = at }, timeout, buf)
  expect(response and not response.err, method .. ' failed: ' .. vim.inspect(err or (response or {}).err))
  return response and response.result or {}
end

-- None in the example; error 14 after an edit puts a wrong action name on
-- the line of "WAIT  _"; none again after the edit is undone.
local function check_diagnostics(buf, uri)
  wait_for('the diagnostics of the opened file', function() return published[uri] ~= nil end)
  expect(#(published[uri] or {}) == 0, 'the example has diagnostics: ' .. vim.inspect(published[uri]))
  local edited = line_with(buf, 'WAIT  _ ') - 1
  vim.api.nvim_buf_set_lines(buf, edited, edited + 1, true, { 'WAIT  _      BOGUSACT 1' })
  local function edit_error(d)
    return d.lnum == edited and d.col == 13 and d.severity == vim.diagnostic.severity.ERROR
           and tostring(d.user_data.lsp.code) == '14' and d.message:find('BOGUSAC', 1, true) ~= nil
  end
  if not wait_for('error 14 on the edited line', function() return #vim.tbl_filter(edit_error, vim.diagnostic.get(buf)) == 1 end) then
    expect(false, 'the diagnostics after the edit: ' .. vim.inspect(vim.diagnostic.get(buf)))
  end
  vim.cmd('silent undo')
  wait_for('the error to be cleared', function() return #(published[uri] or {}) == 0 and #vim.diagnostic.get(buf) == 0 end)
end

-- Hover on MESSAGE 13; definitions of it and of the noun CHEST of the
-- entry "GET   CHEST".
local function check_navigation(client, buf)
  local message = position(buf, 'MESSAGE ', '13')
  local hover = vim.lsp.util.convert_input_to_markdown_lines(request(client, buf, 'textDocument/hover', message).contents)
  expect(table.concat(hover, '\n'):find('The chest is far too heavy to lift', 1, true),
         'hover on MESSAGE 13 shows ' .. vim.inspect(hover))
  local cases = {
    { at = message, file = '/BEACON2.SCE', what = 'MESSAGE 13 -> /MTX /13',
      line = vim.fn.match(vim.fn.readfile(dir .. '/BEACON2.SCE'), '^/13\\>') },
    { at = position(buf, 'GET   ', 'CHEST'), file = '/BEACON.SCE', what = 'CHEST -> its /VOC line',
      line = vim.fn.match(vim.fn.readfile(dir .. '/BEACON.SCE'), '^CHEST ') },
  }
  for _, case in ipairs(cases) do
    local result = request(client, buf, 'textDocument/definition', case.at)
    local location = result[1] or result
    local uri, range = location.uri or location.targetUri, location.range or location.targetSelectionRange
    expect(uri and vim.endswith(uri, case.file) and range and range.start.line == case.line,
           'definition of ' .. case.what .. ': ' .. vim.inspect(result))
  end
end

-- Signature help on "LET 113 6" as the client renders it, the highlights of
-- flag 113 that vim.lsp.buf.document_highlight() puts in the buffer, and the
-- quickfix list that vim.lsp.buf.workspace_symbol() makes.
local function check_protocol(client, buf)
  local value = position(buf, 'LET 113 ', '6')
  local help = request(client, buf, 'textDocument/signatureHelp', value)
  local lines, active = vim.lsp.util.convert_signature_help_to_markdown_lines(help, 'zel')
  local shown = table.concat(lines or {}, '\n')
  expect(shown:find('LET flag, value', 1, true) and shown:find('value 0 to 255', 1, true) and active
         and active[1] == 10 and active[2] == 15, 'signature help on the value of LET 113 6: ' .. vim.inspect(help))

  local flag = position(buf, 'LET ', '113')
  vim.api.nvim_win_set_cursor(0, { flag.line + 1, flag.character })
  vim.lsp.buf.document_highlight()
  local ns = vim.api.nvim_create_namespace('vim_lsp_references')
  local marks = {}
  wait_for('the highlights of flag 113', function()
    marks = vim.api.nvim_buf_get_extmarks(buf, ns, 0, -1, { details = true })
    return #marks >= 2
  end)
  local written, message = false, line_with(buf, 'MESSAGE 113') - 1
  for _, mark in ipairs(marks) do
    local text = vim.api.nvim_buf_get_lines(buf, mark[2], mark[2] + 1, true)[1]
    local details = mark[4]
    expect(text:sub(mark[3] + 1, details.end_col) == '113' and mark[2] ~= message,
           'a highlight that is not flag 113: ' .. vim.inspect(mark) .. ' ' .. text)
    written = written or (mark[2] == flag.line and details.hl_group == 'LspReferenceWrite')
  end
  expect(written, 'LET 113 is not highlighted as a write: ' .. vim.inspect(marks))

  vim.fn.setqflist({}, 'r')
  vim.lsp.buf.workspace_symbol('lantern')
  local found = false
  wait_for('the workspace symbols of "lantern"', function()
    for _, item in ipairs(vim.fn.getqflist()) do
      found = found or (item.text:find('LANTERN', 1, true) ~= nil and vim.endswith(vim.api.nvim_buf_get_name(item.bufnr), '/BEACON.SCE'))
    end
    return found
  end)
  vim.cmd('cclose')
end

local function lines_of(name)
  return vim.api.nvim_buf_get_lines(vim.fn.bufnr(dir .. '/' .. name), 0, -1, true)
end

-- The noun CHEST renamed through the client's rename: its /VOC line, its
-- object's line and every entry. Then message 13 renumbered to 12 through a
-- request whose edit the client applies: the texts of 12 and 13 change
-- places and every MESSAGE follows. The files the edits opened go to the
-- server too, which finds the adventure still without errors.
local function check_rename(client, buf)
  local chest = position(buf, 'GET   ', 'CHEST')
  vim.api.nvim_win_set_cursor(0, { chest.line + 1, chest.character })
  vim.lsp.buf.rename('COFFER')
  local renamed = function()
    return vim.fn.bufnr(dir .. '/BEACON.SCE') > 0 and vim.fn.match(lines_of('BEACON3.SCE'), '^GET   COFFER ') >= 0
  end
  if wait_for('the rename of CHEST', renamed) then
    expect(vim.fn.match(lines_of('BEACON.SCE'), '^COFFER \\+81 ') >= 0, 'CHEST renamed on its /VOC line')
    expect(vim.fn.match(lines_of('BEACON2.SCE'), '^/13 .* COFFER ') >= 0, 'CHEST renamed on its /OBJ line')
    expect(vim.fn.match(lines_of('BEACON3.SCE'), 'CHEST') == vim.fn.match(lines_of('BEACON3.SCE'), '^;.*CHEST'),
           'CHEST left in BEACON3.SCE but in comments')
  end
  for _, name in ipairs({ 'BEACON.SCE', 'BEACON2.SCE' }) do
    if vim.fn.bufnr(dir .. '/' .. name) > 0 then vim.lsp.buf_attach_client(vim.fn.bufnr(dir .. '/' .. name), client.id) end
  end
  -- The client sends the renamed buffers' changes a while later: the
  -- renumbering waits until the server has them all and can renumber.
  local message = position(buf, 'MESSAGE ', '13')
  wait_for('the renamed adventure to compile', function()
    local answer = client.request_sync('textDocument/prepareRename',
                                       { textDocument = { uri = vim.uri_from_bufnr(buf) }, position = message }, timeout, buf)
    return answer and answer.result and answer.result.placeholder == '13'
  end)
  local edit = client.request_sync('textDocument/rename', { textDocument = { uri = vim.uri_from_bufnr(buf) },
                                   position = message, newName = '12' }, timeout, buf)
  if expect(edit and edit.result, 'renumbering message 13 failed: ' .. vim.inspect(edit)) then
    vim.lsp.util.apply_workspace_edit(edit.result, client.offset_encoding)
    local texts = lines_of('BEACON2.SCE')
    local twelve = vim.fn.index(texts, '/12')
    expect(twelve >= 0 and texts[twelve + 2]:find('The chest is far too heavy', 1, true) and texts[twelve + 4] == '/13'
           and texts[twelve + 5]:find('You pull the jersey off', 1, true), 'messages 12 and 13 swapped: ' ..
           vim.inspect(vim.list_slice(texts, twelve, twelve + 6)))
    local uses = vim.api.nvim_buf_get_lines(buf, message.line, message.line + 1, true)[1]
    expect(uses:find('MESSAGE 12', 1, true), 'MESSAGE 13 is now ' .. uses)
    expect(request(client, buf, 'textDocument/prepareRename', message).placeholder == '12',
           'the edited adventure has errors or lost MESSAGE 12')
  end
end

-- BEACON.SCE and BEACON2.SCE opened too, and BEACON.SCE's link misspelt:
-- its error 37 names the file meant, and BEACON2.SCE, which the chain no
-- longer reaches, is told so; with the link back, neither has diagnostics.
local function check_chain(client, buf)
  local bufs = {}
  for _, name in ipairs({ 'BEACON.SCE', 'BEACON2.SCE' }) do
    vim.cmd('edit ' .. vim.fn.fnameescape(dir .. '/' .. name))
    bufs[name] = vim.api.nvim_get_current_buf()
    vim.lsp.buf_attach_client(bufs[name], client.id)
  end
  local first, second = vim.uri_from_bufnr(bufs['BEACON.SCE']), vim.uri_from_bufnr(bufs['BEACON2.SCE'])
  local link = line_with(bufs['BEACON.SCE'], '/LNK BEACON2') - 1
  vim.api.nvim_buf_set_lines(bufs['BEACON.SCE'], link, link + 1, true, { '/LNK BEACN2' })
  local function misspelt(d)
    return d.code == 37 and d.range.start.line == link and vim.inspect(d.relatedInformation):find('did you mean BEACON2?', 1, true)
  end
  wait_for('error 37 at the misspelt link', function() return #vim.tbl_filter(misspelt, published[first] or {}) == 1 end)
  wait_for('BEACON2.SCE told it is not read', function()
    return #vim.tbl_filter(function(d) return d.message:find('is not read', 1, true) end, published[second] or {}) == 1
  end)
  vim.api.nvim_buf_call(bufs['BEACON.SCE'], function() vim.cmd('silent undo') end)
  wait_for('the link to be read again', function()
    return #(published[first] or { 0 }) == 0 and #(published[second] or { 0 }) == 0
  end)
  vim.api.nvim_set_current_buf(buf)
end

local function run()
  vim.fn.mkdir(dir, 'p')
  for _, name in ipairs({ 'BEACON.SCE', 'BEACON2.SCE', 'BEACON3.SCE' }) do
    vim.fn.writefile(vim.fn.readfile(os.getenv('ZEL_EXAMPLES') .. '/' .. name, 'b'), dir .. '/' .. name, 'b')
  end
  vim.cmd('edit ' .. vim.fn.fnameescape(dir .. '/BEACON3.SCE'))
  local buf = vim.api.nvim_get_current_buf()
  local id = vim.lsp.start_client({
    name = 'zel', cmd = { os.getenv('ZEL_ZELTOOL'), 'lsp' }, root_dir = dir,
    handlers = { ['textDocument/publishDiagnostics'] = on_publish },
  })
  vim.lsp.buf_attach_client(buf, id)
  local client = vim.lsp.get_client_by_id(id)
  vim.wait(timeout, function() return client.initialized or not vim.lsp.get_client_by_id(id) end, 20)
  if expect(client.initialized, 'the server did not initialize') then
    check_diagnostics(buf, vim.uri_from_bufnr(buf))
    check_navigation(client, buf)
    check_chain(client, buf)
    check_rename(client, buf)
    check_protocol(client, buf)
  end
  vim.lsp.stop_client(id)
  wait_for('the server to exit after shutdown', function() return vim.lsp.get_client_by_id(id) == nil end)
end

local ok, err = pcall(run)
expect(ok, 'error in the test: ' .. tostring(err))
vim.fn.delete(dir, 'rf')
if #failures > 0 then
  local lines = vim.fn.filereadable(log) == 1 and vim.fn.readfile(log) or {}
  io.stderr:write(table.concat(failures, '\n') .. '\n' .. table.concat(lines, '\n', log_start + 1) .. '\n')
end
vim.cmd(#failures == 0 and 'qall!' or 'cquit 1')
