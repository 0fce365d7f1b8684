-- Gildex's language server for VB6 files in Neovim (0.7 or later). Put this file in
-- ~/.config/nvim/plugin/ (or :luafile it from init.vim); `gildex` must be on PATH.
-- VB6 files are Windows-1252: read those that are no UTF-8 as such.
vim.opt.fileencodings = { 'ucs-bom', 'utf-8', 'cp1252' }

-- One server a project: its root is the folder of the .vbp above the file, else the file's own.
local clients = {}
local function root_of(file)
  local dir = vim.fn.fnamemodify(file, ':p:h')
  while true do
    if #vim.fn.globpath(dir, '*.[vV][bB][pP]', false, true) > 0 then return dir end
    local parent = vim.fn.fnamemodify(dir, ':h')
    if parent == dir then return vim.fn.fnamemodify(file, ':p:h') end
    dir = parent
  end
end

vim.api.nvim_create_autocmd({ 'BufReadPost', 'BufNewFile' }, {
  pattern = { '*.bas', '*.cls', '*.frm', '*.ctl' },
  group = vim.api.nvim_create_augroup('gildex-lsp', { clear = true }),
  callback = function(args)
    local root = root_of(vim.api.nvim_buf_get_name(args.buf))
    clients[root] = clients[root] or vim.lsp.start_client({
      name = 'gildex',
      cmd = { 'gildex', 'lsp', '--stdio' },
      root_dir = root,
    })
    vim.lsp.buf_attach_client(args.buf, clients[root])
  end,
})
