-- Neovim's own client against the server, with editors/nvim/gildex.lua loaded (--cmd):
-- waits for the hint on $GILDEX_PROCEDURE's declaration, applies "Insert error handling" and
-- writes the buffer to $GILDEX_OUT in its own encoding.
local procedure, out = os.getenv('GILDEX_PROCEDURE'), os.getenv('GILDEX_OUT')
local buf = vim.api.nvim_get_current_buf()
local function fail(why)
  io.stderr:write(why .. '\n')
  vim.cmd('cquit 1')
end
local line
for n, text in ipairs(vim.api.nvim_buf_get_lines(buf, 0, -1, false)) do
  if not line and text:find(' ' .. procedure .. '(', 1, true) then line = n - 1 end
end
if not vim.wait(20000, function()
  for _, d in ipairs(vim.diagnostic.get(buf, { lnum = line })) do
    if d.severity == vim.diagnostic.severity.HINT then return true end
  end
  return false
end, 50) then fail('no hint on line ' .. tostring(line)) end
local params = {
  textDocument = { uri = vim.uri_from_bufnr(buf) },
  range = { start = { line = line, character = 0 }, ['end'] = { line = line, character = 0 } },
  context = { diagnostics = {} },
}
for _, response in pairs(vim.lsp.buf_request_sync(buf, 'textDocument/codeAction', params, 20000) or {}) do
  for _, action in ipairs(response.result or {}) do
    if action.title == 'Insert error handling' then
      -- Neovim resolves edits lazily: the server leaves them to codeAction/resolve.
      if not action.edit then
        for _, resolved in pairs(vim.lsp.buf_request_sync(buf, 'codeAction/resolve', action, 20000) or {}) do
          action = resolved.result or action
        end
      end
      if not action.edit then fail('no edit: ' .. vim.inspect(action)) end
      vim.lsp.util.apply_workspace_edit(action.edit, 'utf-16')
      vim.cmd('silent write! ' .. vim.fn.fnameescape(out))
      vim.cmd('qall!')
    end
  end
end
fail('no "Insert error handling" action')
