// The four enrolment slots, and keeping their templates in the browser's storage.
// Only templates are stored: images are large and not needed to verify.

export const SLOT_COUNT = 4;
export const STORAGE_KEY = 'fingerbridge.templates';

// A slot is null (empty) or { template, image, quality, source: 'scanner' | 'demo', finger, kept };
// quality is null for demo captures.
export function createSlots(storage) {
  const slots = new Array(SLOT_COUNT).fill(null);
  let keeping = false;

  function save() {
    if (!keeping) return;
    const stored = slots.map((slot) =>
      slot ? { template: slot.template, quality: slot.quality, source: slot.source, finger: slot.finger } : null);
    storage.setItem(STORAGE_KEY, JSON.stringify({ slots: stored }));
  }

  // Returns how many templates came back; throws when the stored entry cannot be read.
  function restore() {
    const text = storage.getItem(STORAGE_KEY);
    if (text === null) return 0;
    keeping = true;
    const stored = JSON.parse(text);
    if (!stored || !Array.isArray(stored.slots)) throw new Error('The stored templates are not in a known form.');
    let count = 0;
    for (let i = 0; i < SLOT_COUNT; i += 1) {
      const entry = stored.slots[i];
      if (entry && typeof entry.template === 'string' && entry.template !== '') {
        slots[i] = {
          template: entry.template,
          image: null,
          quality: Number.isInteger(entry.quality) ? entry.quality : null,
          source: entry.source === 'demo' ? 'demo' : 'scanner',
          finger: Number.isInteger(entry.finger) ? entry.finger : null,
          kept: true,
        };
        count += 1;
      }
    }
    return count;
  }

  return {
    get: (index) => slots[index],
    templates: () => slots.filter(Boolean).map((slot) => slot.template),
    isKeeping: () => keeping,
    restore,
    set(index, slot) {
      slots[index] = { ...slot, kept: false };
      save();
    },
    clear(index) {
      slots[index] = null;
      save();
    },
    keep() {
      keeping = true;
      save();
    },
    forget() {
      keeping = false;
      storage.removeItem(STORAGE_KEY);
    },
  };
}
