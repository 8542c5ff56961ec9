// "New pack": a small pack that compiles clean, its records commented. A line whose first
// field holds "-" is passed over by the reader (two such lines in a row at most).
export const TEMPLATE = {
  'scenario.json': `{
  "line_name": "Nuova_Linea",
  "train_number": "1",
  "encoding": "utf-8",
  "accepted_warnings": []
}
`,
  'line.txt': `[generale]
-- the line's length in metres comes first: it makes the 50 m sections
lunghezza percorso,    8000
-- the railway's chainage at the start of the line: km 0+000
progressiva chilometrica uno,    0,    0,    0
progressiva chilometrica due,    0,    0,    0
progressiva chilometrica tre,    0,    0,    0
sfondo uno,    0
sfondo due,    0
sfondo tre,    1
-- no cab signalling: the second number is 0
ripetizione segnali 4 codici,    0,    0
[curve]
-- a right-hand curve of class 3 from 2000 m for 500 m
curvad3,  2000,  500
[pendenze]
-- level from 0 m -- rising 5 per mille from 4000 m
pendenza,  0,   0
pendenza,  4000,   5
[fine]
`,
  'train.txt': `[generale]
numero vetture,    3
percentuale massa frenata,    110
sabbia,    300
-- the clock: hours and minutes and seconds
orologio,    8,    0,    0
[aderenze]
aderenza,   0,    100
[vel_limite]
-- from 0 m the train may run at 90 km/h
velocita,       0,    90
[stazioni]
-- position kind length mode param5 short_platform group1 group2 param13 time name
stazione,     300, 12,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,   8,1, 0, PARTENZA
stazione,    7200, 12,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,   8,9, 0, ARRIVO
[rallentamenti]
[segnali]
-- a signal at 4000 m: kinds and parameters of its two sides
segnale,    4000,   1, 5, 6,  0, 0,    0,  0,0,0, 0
[fine]
`,
  'note.txt': `LINEA :  PARTENZA -- ARRIVO

TRENO : 1
`,
  'rallentamenti.txt': `Nessun rallentamento.
`,
  'scheda_treno.txt': `TRENO 1
`,
};
