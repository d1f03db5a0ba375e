// Draws the enrolment slots: picture (or placeholder), a line about the template, buttons.

export function createSlotViews(list, template, count) {
  const views = [];
  for (let i = 0; i < count; i += 1) {
    const item = template.content.firstElementChild.cloneNode(true);
    const number = i + 1;
    item.dataset.slot = String(number);
    item.setAttribute('aria-labelledby', `slot-title-${number}`);
    const title = item.querySelector('.slot-title');
    title.id = `slot-title-${number}`;
    title.textContent = `Slot ${number}`;
    const [captureHint, clearHint] = item.querySelectorAll('.visually-hidden');
    captureHint.textContent = ` into slot ${number}`;
    clearHint.textContent = ` slot ${number}`;
    list.append(item);
    views.push({
      item,
      picture: item.querySelector('.slot-picture'),
      info: item.querySelector('.slot-info'),
      capture: item.querySelector('[data-action="capture"]'),
      clear: item.querySelector('[data-action="clear"]'),
    });
  }
  return views;
}

export function drawSlot(view, slot, number) {
  view.item.classList.toggle('filled', Boolean(slot));
  view.picture.replaceChildren(slot && slot.image ? picture(slot.image, number) : placeholder(slot));
  view.info.textContent = describe(slot);
}

function picture(dataUrl, number) {
  const image = document.createElement('img');
  image.src = dataUrl;
  image.alt = `Fingerprint image captured into slot ${number}`;
  return image;
}

function placeholder(slot) {
  const box = document.createElement('p');
  box.className = 'placeholder';
  if (!slot) box.textContent = 'Empty';
  else if (slot.kept) box.textContent = 'Kept from an earlier visit. Images are not kept.';
  else box.textContent = 'Demo capture: demo fingers have no image.';
  return box;
}

function describe(slot) {
  if (!slot) return 'No template yet.';
  const what = slot.source === 'demo' ? `Demo finger ${slot.finger ?? '?'}` : 'Scanner capture';
  return `${what}, template of ${slot.template.length} characters.`;
}
