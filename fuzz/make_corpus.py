#!/usr/bin/env python3
"""Writes the seed corpus: the embedded descriptions and small variants of every record kind."""
import ast
import os
import re

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)


def content(name):
    src = open(os.path.join(root, 'sources', name), encoding='utf-8').read()
    body = src[src.index('= {') + 3:src.index('};')]
    lines = [ast.literal_eval(m) for m in re.findall(r'^\s*(".*"),\s*$', body, re.M)]
    return '\r\n'.join(lines).encode('cp1252') + b'\r\n'


line = content('line_content.cpp')
train = content('train_content.cpp')
SEP = b'\n@@@@\n'
GEN = b'[generale]\r\nlunghezza percorso, 3000\r\n[curve]\r\n'
seeds = {
    'embedded': line + SEP + train,
    'line_only': line + SEP,
    'gradients': GEN + b'pendenza, 0, 0\r\npendenza, 500, 4\r\npendenza, 500, -4\r\n[fine]\r\n' + SEP,
    'curves': GEN + b'curvas2, 0, 50\r\ncurvad6, 100, 300\r\ncurvaS3, 50, 10\r\n[fine]\r\n' + SEP,
    'mountains': GEN + b'montagna, 500, 900, 12\r\nmontagna, 1000, 1400, 11\r\n[fine]\r\n' + SEP,
    'boards': GEN + b'indicatori_vmax, 800, 125, 135, 135, 0, , , , 0\r\n'
                    b'cartello_indicatore, 400, (A)(B)\r\n[fine]\r\n' + SEP,
    'header': b'[generale]\r\nlunghezza percorso, 2000\r\nprogressiva chilometrica uno, 0, 50550, 1\r\n'
              b'progressiva chilometrica due, 100, 0, 0\r\nsfondo uno, 1\r\nsfondo due, 2\r\nsfondo tre, 3\r\n'
              b'ripetizione segnali 9 codici, 100, 1000\r\n---\r\n[curve]\r\n[fine]\r\n' + SEP,
    'train_records': GEN + b'[fine]\r\n' + SEP + b'[generale]\r\nnumero vetture, 3\r\npercentuale massa frenata, 120\r\n'
                     b'sabbia, 300\r\norologio, 18 20 30\r\naderenza, 0, 100\r\nvelocita, 0, 75\r\n'
                     b'velocita, 800, 135\r\nstazione, 0, 12, 500, 1, 0, 0, 4,1,0, 2,1,1, 1, 18,21,0, A\r\n'
                     b'stazione, 1500, 25, 200, 0, 0, 0, 0,0,0, 0,0,0, 0, 0,0,0, B\r\n'
                     b'segnale, 1000, 2, 2, 3, 1, 0, 2, 2,1,1, 50\r\n[fine]\r\n',
    'slowdowns': GEN + b'[fine]\r\n' + SEP + b'[generale]\r\nvelocita, 0, 100\r\nsegnale, 1600, 1, 5, 6, 0, 0, 0, 0,0,0, 0\r\n'
                 b'rallentamento, 2800, 30, 600, 1, 1, 90\r\nrallentamento, 1000, 110, 100, 0, 0, 0\r\n'
                 b'abbattimento, 500, 7\r\nabbattimento, 550, 0\r\n[fine]\r\n',
}
os.makedirs(os.path.join(here, 'corpus'), exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(here, 'corpus', name), 'wb') as f:
        f.write(data)
print(len(seeds), 'seeds written')
