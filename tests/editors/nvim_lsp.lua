-- Drives Neovim's built-in language-server client (the API of Neovim 0.7
-- and later) against `zeltool lsp` on a copy of the example adventure.
-- nvim_lsp_test.py starts it with ZEL_ZELTOOL (the executable), ZEL_DIR (the
-- copy) and ZEL_RESULT (the file that gets "ok" or the failures).
local dir, timeout = os.getenv('ZEL_DIR'), 10000
local failures = {}
local published = {}  -- uri -> list of the diagnostics of its latest publication

local function expect(condition, message)
  if not condition then table.insert(failures, message) end
end

local function wait_for(what, condition)
  local ok = vim.wait(timeout, condition, 20)
  expect(ok, 'timed out waiting for ' .. what)
  return ok
end

local function on_publish(err, result, ctx, config)
  published[result.uri] = result.diagnostics
  vim.lsp.diagnostic.on_publish_diagnostics(err, result, ctx, config)
end

-- A token of a source line, found by its text: (0-based line, column of its
-- first character + 1, so that the position is inside it).
local function position(buf, line, before, token)
  local text = vim.api.nvim_buf_get_lines(buf, line - 1, line, true)[1]
  local at = text:find(before .. token, 1, true)
  expect(at, string.format('line %d is %q, without %q', line, text, before .. token))
  return { line = line - 1, character = (at or 1) - 1 + #before + 1 }
end

local function hover_text(result)
  local contents = result and result.contents or ''
  if type(contents) == 'string' then return contents end
  if contents.value then return contents.value end
  local parts = {}
  for _, part in ipairs(contents) do table.insert(parts, type(part) == 'string' and part or part.value) end
  return table.concat(parts, '\n')
end

local function first_location(result)
  if result and result[1] then result = result[1] end
  if not result then return nil end
  return result.uri or result.targetUri, (result.range or result.targetSelectionRange or {}).start
end

local function request(client, buf, method, at)
  local response, err = client.request_sync(method,
    { textDocument = { uri = vim.uri_from_bufnr(buf) }, position = at }, timeout, buf)
  expect(response and not response.err, method .. ' failed: ' .. vim.inspect(err or (response or {}).err))
  return response and response.result
end

-- Diagnostics: none in the example; one error after an edit; none after undo.
local function check_diagnostics(buf, uri)
  wait_for('the diagnostics of the opened file', function() return published[uri] ~= nil end)
  expect(published[uri] and #published[uri] == 0, 'the example has diagnostics: ' .. vim.inspect(published[uri]))
  vim.api.nvim_buf_set_lines(buf, 148, 149, true, { 'WAIT  _      BOGUSACT 1' })
  local function edit_error(d)
    return d.lnum == 148 and d.col == 13 and d.severity == vim.diagnostic.severity.ERROR
           and tostring(d.user_data.lsp.code) == '14' and d.message:find('BOGUSAC', 1, true) ~= nil
  end
  if not wait_for('error 14 at 149:14', function() return #vim.tbl_filter(edit_error, vim.diagnostic.get(buf)) == 1 end) then
    expect(false, 'the diagnostics after the edit: ' .. vim.inspect(vim.diagnostic.get(buf)))
  end
  vim.cmd('undo')
  wait_for('the error to be cleared', function() return #(published[uri] or {}) == 0 and #vim.diagnostic.get(buf) == 0 end)
end

-- Hover and definition on MESSAGE 13 of BEACON3.SCE line 172, and definition
-- of the noun CHEST of the entry on line 169.
local function check_navigation(client, buf)
  local message = position(buf, 172, 'MESSAGE ', '13')
  local text = hover_text(request(client, buf, 'textDocument/hover', message))
  expect(text:find('The chest is far too heavy to lift', 1, true), 'hover on MESSAGE 13 shows ' .. vim.inspect(text))
  local cases = {
    { at = message, file = '/BEACON2.SCE', line = 50, what = 'MESSAGE 13 -> /MTX /13' },
    { at = position(buf, 169, 'GET   ', 'CHEST'), file = '/BEACON.SCE', what = 'CHEST -> its /VOC line',
      line = vim.fn.match(vim.fn.readfile(dir .. '/BEACON.SCE'), '^CHEST ') },
  }
  for _, case in ipairs(cases) do
    local uri, start = first_location(request(client, buf, 'textDocument/definition', case.at))
    expect(uri and vim.endswith(uri, case.file) and start and start.line == case.line,
           string.format('definition of %s: %s line %s', case.what, tostring(uri), vim.inspect(start and start.line)))
  end
end

local function run()
  vim.cmd('edit ' .. vim.fn.fnameescape(dir .. '/BEACON3.SCE'))
  local buf = vim.api.nvim_get_current_buf()
  local id = vim.lsp.start_client({
    name = 'zel', cmd = { os.getenv('ZEL_ZELTOOL'), 'lsp' }, root_dir = dir,
    handlers = { ['textDocument/publishDiagnostics'] = on_publish },
  })
  vim.lsp.buf_attach_client(buf, id)
  local client = vim.lsp.get_client_by_id(id)
  wait_for('the server to initialize', function() return client.initialized or not vim.lsp.get_client_by_id(id) end)
  if client.initialized then
    check_diagnostics(buf, vim.uri_from_bufnr(buf))
    check_navigation(client, buf)
  end
  vim.lsp.stop_client(id)
  wait_for('the server to exit after shutdown', function() return vim.lsp.get_client_by_id(id) == nil end)
end

local ok, err = pcall(run)
expect(ok, 'error in the test: ' .. tostring(err))
local out = io.open(os.getenv('ZEL_RESULT'), 'w')
out:write(#failures == 0 and 'ok\n' or table.concat(failures, '\n') .. '\n')
out:close()
vim.cmd('qall!')
