// The page's own words, in English and Italian, from this one catalogue: ids with arguments
// ({0}, {1} …). The engine's words (diagnostics, the field table, the picture) come from the
// engine in the same language. Elements of the page carry data-t (their text), data-t-title
// and data-t-label (their title and aria-label).
export const CATALOGUE = {
  // header and panes
  'app-title': { en: 'Scenario studio', it: 'Studio scenari' },
  'pack-label': { en: 'Pack', it: 'Pacchetto' },
  'new-pack': { en: 'New pack', it: 'Nuovo pacchetto' },
  'rename-pack': { en: 'Rename', it: 'Rinomina' },
  'remove-pack': { en: 'Remove', it: 'Elimina' },
  'example-label': { en: 'Open example', it: 'Apri esempio' },
  'example-none': { en: '(none open)', it: '(nessuno aperto)' },
  'pack-actions': { en: 'Rename or remove this pack', it: 'Rinomina o elimina questo pacchetto' },
  'open': { en: 'Open', it: 'Apri' },
  'save': { en: 'Save', it: 'Salva' },
  'program': { en: 'Program', it: 'Programma' },
  'open-files': { en: 'Open files', it: 'Apri file' },
  'open-folder': { en: 'Open folder', it: 'Apri cartella' },
  'save-zip': { en: 'Save .zip', it: 'Salva .zip' },
  'save-files': { en: 'Save files', it: 'Salva i file' },
  'download-compiled': { en: 'Compiled files', it: 'File compilati' },
  'download-compiled-title': { en: 'Download what scenario-compile --pack writes', it: 'Scarica ciò che scrive scenario-compile --pack' },
  'program-windows': { en: 'Program for Windows', it: 'Programma per Windows' },
  'program-linux': { en: 'Program for Linux', it: 'Programma per Linux' },
  'help': { en: 'Help', it: 'Guida' },
  'language': { en: 'Language', it: 'Lingua' },
  'editor-only': { en: 'Editor only', it: 'Solo editor' },
  'wrap': { en: 'Wrap', it: 'A capo' },
  'find': { en: 'Find', it: 'Cerca' },
  'goto': { en: 'Go to line', it: 'Vai alla riga' },
  'view-plan': { en: 'Plan', it: 'Planimetria' },
  'view-profile': { en: 'Profile', it: 'Profilo' },
  'view-time-distance': { en: 'Time–distance', it: 'Orario grafico' },
  'view-stations': { en: 'Stations', it: 'Stazioni' },
  'fit': { en: 'Fit', it: 'Adatta' },
  'reset': { en: 'Actual size', it: 'Dimensione reale' },
  'close': { en: 'Close', it: 'Chiudi' },
  'cancel': { en: 'Cancel', it: 'Annulla' },
  'docs-title': { en: 'Documentation', it: 'Documentazione' },
  'first-run-title': { en: 'Welcome to the scenario studio', it: 'Benvenuti nello studio scenari' },
  'first-run-1': { en: 'Edit line.txt and train.txt on the left: every keystroke is checked as the pack\u2019s build checks it, and kept in this browser.', it: 'Modificate line.txt e train.txt a sinistra: ogni tasto viene verificato come lo verifica la costruzione del pacchetto, e conservato in questo browser.' },
  'first-run-2': { en: 'Problems are underlined and listed under the editor (F8 goes to the next); the picture and the stations are on the right.', it: 'I problemi sono sottolineati ed elencati sotto l\u2019editor (F8 porta al successivo); la planimetria e le stazioni sono a destra.' },
  'first-run-3': { en: 'Start from an example, a new pack, or your own files (drop them anywhere). Then download the compiled files or the driver\u2019s program.', it: 'Partite da un esempio, da un nuovo pacchetto o dai vostri file (trascinateli ovunque). Poi scaricate i file compilati o il programma per il macchinista.' },
  'first-run-docs': { en: 'Read the docs: ', it: 'Leggete la documentazione: ' },
  'first-run-close': { en: 'Got it', it: 'Ho capito' },
  // status and list
  'severity-error': { en: 'error', it: 'errore' },
  'severity-warning': { en: 'warning', it: 'avviso' },
  'severity-hint': { en: 'accepted warning', it: 'avviso accettato' },
  'severity-info': { en: 'note', it: 'nota' },
  'severity-note': { en: 'note', it: 'nota' },
  'refused': { en: 'the warning {0} is not in accepted_warnings: the pack refuses it', it: 'l\u2019avviso {0} non è in accepted_warnings: il pacchetto lo rifiuta' },
  'errors-one': { en: '1 error', it: '1 errore' },
  'errors-many': { en: '{0} errors', it: '{0} errori' },
  'warnings-one': { en: '1 warning', it: '1 avviso' },
  'warnings-many': { en: '{0} warnings', it: '{0} avvisi' },
  'accepted-n': { en: '{0} accepted', it: '{0} accettati' },
  'status-clean': { en: 'the pack is sound', it: 'il pacchetto è corretto' },
  'status-refused': { en: 'nothing is compiled', it: 'nulla viene compilato' },
  'status-refused-compiled': { en: 'the pack is refused', it: 'il pacchetto è rifiutato' },
  'no-cp1252-byte': { en: 'this character has no Windows-1252 byte: the pack (encoding windows-1252) cannot hold it', it: 'questo carattere non ha un byte Windows-1252: il pacchetto (codifica windows-1252) non può contenerlo' },
  'line-col': { en: 'Ln {0}, Col {1}', it: 'Riga {0}, col. {1}' },
  // the editor
  'field-n': { en: 'field {0} of {1}', it: 'campo {0} di {1}' },
  'field-short': { en: 'field {0}', it: 'campo {0}' },
  'hover-record': { en: '{0}: a record of {1} values', it: '{0}: un record di {1} valori' },
  'hover-extra': { en: 'past the {1} values of {0}: read as a keyword that matches nothing', it: 'oltre i {1} valori di {0}: letto come parola chiave che non corrisponde a nulla' },
  'hover-no-record': { en: 'no record has this keyword', it: 'nessun record ha questa parola chiave' },
  'hover-header-unknown': { en: 'a section header this description does not know', it: 'un\u2019intestazione di sezione che questa descrizione non conosce' },
  'status-comment': { en: 'comment', it: 'commento' },
  'status-no-record': { en: 'no record', it: 'nessun record' },
  'status-past-fields': { en: 'past its fields', it: 'oltre i suoi campi' },
  'completion-fields': { en: '{0} fields', it: '{0} campi' },
  // the picture and the table
  'view-stale': { en: 'The pack as it stands does not compile: this shows the last scenario that compiled.', it: 'Il pacchetto così com\u2019è non si compila: qui si vede l\u2019ultimo scenario compilato.' },
  'view-none': { en: 'This pack has not compiled yet: nothing to show.', it: 'Questo pacchetto non si è ancora compilato: nulla da mostrare.' },
  'view-failed': { en: 'The compiled files could not be drawn: {0}', it: 'I file compilati non si possono disegnare: {0}' },
  'st-slot': { en: 'Slot', it: 'Posto' },
  'st-station': { en: 'Station', it: 'Stazione' },
  'st-position': { en: 'Position (m)', it: 'Posizione (m)' },
  'st-chainage': { en: 'Chainage', it: 'Progressiva' },
  'st-time': { en: 'Time', it: 'Orario' },
  'st-realistic': { en: 'Realistic run', it: 'Corsa realistica' },
  'feature-record': { en: '{0} record {1} in {2}', it: 'record {0} n. {1} in {2}' },
  'feature-section': { en: 'section {0}', it: 'sezione {0}' },
  'feature-at': { en: 'at {0} m', it: 'a {0} m' },
  'feature-chainage': { en: 'chainage {0}', it: 'progressiva {0}' },
  // packs and files
  'new-pack-name': { en: 'New pack', it: 'Nuovo pacchetto' },
  'opened-pack': { en: 'Opened pack', it: 'Pacchetto aperto' },
  'opened-as-pack': { en: 'Opened as a new pack, "{0}", beside the others (the Pack list switches between them).', it: 'Aperto come nuovo pacchetto, "{0}", accanto agli altri (l\u2019elenco Pacchetto passa dall\u2019uno all\u2019altro).' },
  'example-opened': { en: 'The example {0} opened as a new pack beside yours: nothing of yours was replaced.', it: 'L\u2019esempio {0} è aperto come nuovo pacchetto accanto ai vostri: nulla dei vostri è stato sostituito.' },
  'went-to': { en: '{0} opened as {1} of the pack "{2}" (Ctrl+Z in that tab brings back what it held).', it: '{0} aperto come {1} del pacchetto "{2}" (Ctrl+Z in quella scheda riporta il testo di prima).' },
  'by-content': { en: 'Its records tell which description it is.', it: 'I suoi record dicono di quale descrizione si tratta.' },
  'replace-question': { en: '{0} would replace {1} of the pack "{2}", which holds a text of its own. Replace it, or open a new pack with it?', it: '{0} sostituirebbe {1} del pacchetto "{2}", che contiene già un testo. Sostituirlo, o aprire un nuovo pacchetto con esso?' },
  'replace': { en: 'Replace', it: 'Sostituisci' },
  'as-new-pack': { en: 'Open as a new pack', it: 'Apri come nuovo pacchetto' },
  'not-a-description': { en: '{0}: its records tell neither a line nor a train description; not opened. Name it line.txt or train.txt to open it as one.', it: '{0}: i suoi record non indicano né una descrizione della linea né del treno; non aperto. Chiamatelo line.txt o train.txt per aprirlo come tale.' },
  'ignored-file': { en: '{0}: no file of a pack has this name; left out', it: '{0}: nessun file del pacchetto ha questo nome; escluso' },
  'not-a-zip': { en: '{0}: not a zip archive ({1})', it: '{0}: non è un archivio zip ({1})' },
  'file-too-large': { en: '{0}: {1} MB is too large for a pack text (at most {2} MB); not opened', it: '{0}: {1} MB è troppo grande per un testo del pacchetto (al massimo {2} MB); non aperto' },
  'file-binary': { en: '{0}: a binary file (it holds NUL bytes), not a pack text; not opened', it: '{0}: un file binario (contiene byte NUL), non un testo del pacchetto; non aperto' },
  'file-bad-bom': { en: '{0}: its byte-order mark names an encoding its bytes do not follow; not opened', it: '{0}: il suo byte-order mark indica una codifica che i suoi byte non seguono; non aperto' },
  'found-utf-16le': { en: '{0} is UTF-16 (little-endian): opened as text, and saved in the pack\u2019s encoding.', it: '{0} è in UTF-16 (little-endian): aperto come testo, e salvato nella codifica del pacchetto.' },
  'found-utf-16be': { en: '{0} is UTF-16 (big-endian): opened as text, and saved in the pack\u2019s encoding.', it: '{0} è in UTF-16 (big-endian): aperto come testo, e salvato nella codifica del pacchetto.' },
  'found-utf-8-bom': { en: '{0} is UTF-8 with a byte-order mark: opened as UTF-8, and saved in the pack\u2019s encoding.', it: '{0} è in UTF-8 con byte-order mark: aperto come UTF-8, e salvato nella codifica del pacchetto.' },
  'storage-full': { en: 'The browser keeps no more for this page (its storage is full or off): save the pack as .zip so as not to lose it.', it: 'Il browser non conserva altro per questa pagina (memoria piena o disattivata): salvate il pacchetto come .zip per non perderlo.' },
  'rename-question': { en: 'The pack\u2019s name in the list:', it: 'Il nome del pacchetto nell\u2019elenco:' },
  'remove-question': { en: 'Remove the pack "{0}" from this browser? Its texts are lost unless saved.', it: 'Eliminare il pacchetto "{0}" da questo browser? I suoi testi vanno persi se non salvati.' },
  'remove': { en: 'Remove', it: 'Elimina' },
  'remove-last': { en: 'The only pack stays: open or make another first.', it: 'L\u2019unico pacchetto resta: apritene o createne prima un altro.' },
  // downloads
  'compiled-none': { en: 'Nothing to download: scenario-compile --pack writes nothing for this pack ({0} errors in the list).', it: 'Nulla da scaricare: scenario-compile --pack non scrive nulla per questo pacchetto ({0} errori nell\u2019elenco).' },
  'program-refused': { en: 'A program is made only from a pack without problems, as scenario-pack build makes it: {0} in the list.', it: 'Un programma si fa solo da un pacchetto senza problemi, come lo fa scenario-pack build: {0} nell\u2019elenco.' },
  'no-runner': { en: 'This page carries no runner for {0}: scenario-pack build makes the program.', it: 'Questa pagina non contiene l\u2019esecutore per {0}: il programma lo fa scenario-pack build.' },
  'no-sha256': { en: 'This browser gives the page no SHA-256 (crypto.subtle): scenario-pack build makes the program.', it: 'Questo browser non dà alla pagina SHA-256 (crypto.subtle): il programma lo fa scenario-pack build.' },
  'program-failed': { en: 'The program could not be made: {0}', it: 'Il programma non si è potuto fare: {0}' },
  'chmod': { en: '{0}: make it executable (chmod +x {0}) before the driver runs it.', it: '{0}: rendetelo eseguibile (chmod +x {0}) prima che il macchinista lo avvii.' },
  'engine-failed': { en: 'The engine failed: {0}', it: 'Il motore si è fermato: {0}' },
  'start-failed': { en: 'The page could not start: {0}', it: 'La pagina non è partita: {0}' },
};

let current = 'en';

export const language = () => current;
export function setLanguage(lang) {
  current = lang === 'it' ? 'it' : 'en';
}

// The language to use: the one chosen before, else the first of the browser's that the page
// speaks, else English.
export function chooseLanguage(stored, languages) {
  if (stored === 'it' || stored === 'en') return stored;
  for (const l of languages || []) {
    const base = String(l).toLowerCase().split('-')[0];
    if (base === 'it' || base === 'en') return base;
  }
  return 'en';
}

export function t(id, ...args) {
  const entry = CATALOGUE[id];
  const text = entry ? entry[current] : id;
  return text.replace(/\{(\d)\}/g, (_, k) => String(args[k] ?? ''));
}

export function translate(root) {
  for (const e of root.querySelectorAll('[data-t]')) e.textContent = t(e.dataset.t);
  for (const e of root.querySelectorAll('[data-t-title]')) e.title = t(e.dataset.tTitle);
  for (const e of root.querySelectorAll('[data-t-label]')) e.setAttribute('aria-label', t(e.dataset.tLabel));
}
