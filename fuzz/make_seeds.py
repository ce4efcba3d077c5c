#!/usr/bin/env python3
"""Seed corpora for the fuzz targets, from the book's plain sources: make_seeds.py BOOK OUT"""
import glob, os, sys

book, out = sys.argv[1], sys.argv[2]

def put(target, name, data):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(data)

def read(name):
    with open(os.path.join(book, name), 'rb') as f:
        return f.read()

recipes = sorted(glob.glob(os.path.join(book, 'RET*.TXT')))[::37]
tables = [read('zcalorii.txt'), read('zunitmas.txt'), read('zbucati.txt')]
catalogue = read('virt-dir.txt')
dictionary = read('dict.txt')
put('fuzz_catalogue', 'book', catalogue)
put('fuzz_catalogue', 'small', b'm A\nh B\ni C ~ RET001.TXT\n')
put('fuzz_scrambled_line', 'catalogue', b'\x28' + catalogue[:4000])
for path in recipes:
    text = open(path, 'rb').read()
    name = os.path.basename(path)
    put('fuzz_recipe_page', name, text)
    put('fuzz_scrambled_line', name, b'\x10' + text)
    ingredients = text.split(b'#')[2] if text.count(b'#') >= 3 else text
    # Small slices of the tables keep each execution fast.
    put('fuzz_calories', name, tables[0][:1500] + b'@@' + tables[1] + b'@@' + tables[2][:600] +
        b'@@' + ingredients)
# Servings: the numbers asked and stated, a double, then one item of the book.
import struct
for i, path in enumerate(recipes[:12]):
    ingredients = open(path, 'rb').read().split(b'#')
    items = ingredients[2].split(b';') if len(ingredients) >= 3 else [b'2 cepe']
    for j, item in enumerate(items[1:4]):
        put('fuzz_servings', '%s-%d' % (os.path.basename(path), j),
            bytes([i + 2, 3 + j]) + struct.pack('<d', 0.375 * (i + 1)) + item.strip())
pers = b''.join(b'Reteta %d' % i + b' ' * 137 + b'#xet%d.txt\n' % i for i in range(1, 4))
put('fuzz_personal', 'plain', b'Ana@@Ciorba@@1 l apa; sare@@Se fierbe\r\nbine@@' + pers)
put('fuzz_personal', 'marks', b'A#~\\@@N#~@@I#\n~@@P#~\n@@' + read('pref.txt'))
put('fuzz_dictionary', 'book', b'ciorba@@' + dictionary[:3000])
put('fuzz_dictionary', 'marked', b'rantas;.@@rantas#prajeala de faina\n')
put('fuzz_search', 'book', b'varza+carne de porc@@ceapa,usturoi@@sare@@' +
    open(recipes[0], 'rb').read() + b'@@' + catalogue[:4000])
put('fuzz_bootstrap', 'quoted', b'"/opt/savorel setup/bootstrap" -x@@' + b'\x05' * 200)
put('fuzz_bootstrap', 'plain', b'bootstrap@@' + bytes(range(256)))
# Own recipe delete: catalogue @@ pers.txt @@ (file there: odd first byte) name @@ record.
own = b'             i Reteta 1        ~ xet1.txt\n'
put('fuzz_own_delete', 'listed', catalogue[-600:] + own + b'@@' + pers + b'@@\x01xet1.txt@@' +
    b'Reteta 1' + b' ' * 137 + b'#xet1.txt')
put('fuzz_own_delete', 'gone', own + b'@@' + pers + b'@@\x00XET2.TXT@@')
put('fuzz_backup', 'names', b'2026-12-10-2@@2026-12-10@@2026-12-09 3\n2099-01-01 2\n'
    b'2026-12-10 4\n2026-13-45 9\n2026-12-10-99999999999999999999 1\n@@'
    b'savorel-copii 1\nmade 1\nf 9 0000000000000000 1 2 9 3 4 pers.txt\nend 1\n')
put('fuzz_backup', 'leap', b'2024-02-29@@2023-02-28@@2024-02-29 1\n2024-02-29-2 1\n@@')
put('fuzz_delete', 'catalogue', b'xet1.txt@@' + catalogue[-2000:] +
    b'\r\n i Ciorba ~   XET1.TXT\r\n i Supa ~ xet10.txt@@\x05')
put('fuzz_delete', 'plain', b'noext@@ i A ~ noext\n@@\xff')
# The week plan and the shopping list's state.
put('fuzz_plan', 'week', b'{"savorel-plan":1,"nextId":4,"household":[{"name":"Ana","goal":2000},'
    b'{"name":"Mihai"}],"entries":[{"id":1,"day":"2026-12-14","meal":"pranz","recipe":'
    b'"RET001.TXT","title":"Ciorb\xc4\x83","portions":6,"leftovers":[{"day":"2026-12-15",'
    b'"meal":"pranz"}]},{"id":3,"day":"2026-12-20","meal":"mic-dejun","recipe":"xet1.txt",'
    b'"title":"Cl\\u0103tite \\"a\\"","portions":2,"leftovers":[]}]}')
put('fuzz_plan', 'empty', b'{"savorel-plan":1}')
put('fuzz_shopping_state', 'marks', b'{"savorel-cumparaturi":1,"sources":[{"recipe":"RET001.TXT",'
    b'"title":"Ciorb\xc4\x83","portions":4}],"ticked":["UNT|g|G"],"atHome":["OUA|p|","\\u00e9"]}')
put('fuzz_recipe_folders', 'tree', 'Ciorbă@@{"@type": "Recipe", "name": "Ciorbă", '
    '"recipeIngredient": ["1 l apă"], "recipeInstructions": ["Fierbe."]}@@../x@@[]@@'
    'Tort/1: 2@@{"@graph": [{"@type": "Recipe", "name": "Tort"}]}'.encode())
# Import: the own sample pages of tests/samples/import, whole and as JSON alone.
samples = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'samples', 'import')
for path in sorted(glob.glob(os.path.join(samples, '*'))):
    name = os.path.basename(path)
    data = open(path, 'rb').read()
    if not name.endswith('.expected.json'):
        put('fuzz_import_document', name, data)
        put('fuzz_html_text', name, data)
    if name.endswith('.json'):
        put('fuzz_lenient_json', name, data)
put('fuzz_lenient_json', 'sloppy', b'/* c */ {"a": "x\n\ty", "b": [1, 2.5e3, -0, 1e400,],}; <!--\n')
put('fuzz_html_text', 'refs', b'&abreve;&amp;lt;&#x219;&notit;&copy=2 <p>a<br>b</p> <sau> &lt;img&gt;')
