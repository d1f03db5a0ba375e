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
      poor: item.querySelector('.slot-poor'),
      poorText: item.querySelector('.slot-poor-text'),
      keep: item.querySelector('[data-action="keep"]'),
      capture: item.querySelector('[data-action="capture"]'),
      clear: item.querySelector('[data-action="clear"]'),
    });
  }
  return views;
}

// pending: a poor capture the person may still keep, or null.
export function drawSlot(view, slot, number, pending) {
  view.item.classList.toggle('filled', Boolean(slot));
  view.picture.replaceChildren(slot && slot.image ? picture(slot.image, number) : placeholder(slot));
  view.info.textContent = describe(slot);
  view.poor.hidden = !pending;
  view.poorText.textContent = pending ? poorCaptureText(pending.quality) : '';
}

export function poorCaptureText(quality) {
  return `Poor capture (quality ${quality}): place the finger flat and centred, and capture again`;
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
  const quality = Number.isInteger(slot.quality) ? `, quality ${slot.quality}` : '';
  return `${what}${quality}, template of ${slot.template.length} characters.`;
}
