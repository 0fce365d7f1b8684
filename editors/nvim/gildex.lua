-- Gildex's language server for VB6 files in Neovim (0.9 or later). Put this file in
-- ~/.config/nvim/plugin/ (or require it from init.lua); `gildex` must be on PATH.
-- VB6 files are Windows-1252: read those that are no UTF-8 as such.
vim.opt.fileencodings = { 'ucs-bom', 'utf-8', 'cp1252' }
-- The server's root is the folder of the .vbp above the file, else the file's own folder.
vim.api.nvim_create_autocmd({ 'BufReadPost', 'BufNewFile' }, {
  pattern = { '*.bas', '*.cls', '*.frm', '*.ctl' },
  group = vim.api.nvim_create_augroup('gildex-lsp', { clear = true }),
  callback = function(args)
    local file = vim.api.nvim_buf_get_name(args.buf)
    local vbp = vim.fs.find(function(name) return name:lower():match('%.vbp$') ~= nil end,
      { upward = true, path = vim.fs.dirname(file) })[1]
    vim.lsp.start({
      name = 'gildex',
      cmd = { 'gildex', 'lsp', '--stdio' },
      root_dir = vbp and vim.fs.dirname(vbp) or vim.fs.dirname(file),
    }, { bufnr = args.buf })
  end,
})
