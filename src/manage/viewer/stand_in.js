// Served in place of the 3D viewer by builds made without the npm packages
// (three.js and esbuild, installed by scripts/setup): the frame says so.
window.Zelt3DViewer = {
  init: function (element) {
    if (!element) throw new Error('Zelt3DViewer.init needs a container element');
    element.dataset.zeltViewer = 'error';
    element.style.cssText += ';display:flex;align-items:center;justify-content:center;color:#8b949e;' +
      'font:13px -apple-system,sans-serif';
    element.textContent = 'The 3D viewer was not built into this zelt-lbr (its build had no node_modules; ' +
      'run scripts/setup and rebuild).';
  },
};
