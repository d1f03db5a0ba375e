// The one status line (read out by screen readers) and the busy state of the page.

export function createStatus(line, main) {
  function show(text, tone) {
    line.textContent = text;
    line.dataset.tone = tone;
  }
  return {
    busy(text) {
      main.setAttribute('aria-busy', 'true');
      show(text, 'busy');
    },
    info(text) {
      main.removeAttribute('aria-busy');
      show(text, 'info');
    },
    error(text) {
      main.removeAttribute('aria-busy');
      show(text, 'error');
    },
    isBusy: () => main.getAttribute('aria-busy') === 'true',
  };
}
