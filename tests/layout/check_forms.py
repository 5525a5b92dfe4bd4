#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The committed forms must be exactly what ui/make_forms.py writes, so an
edit made in Qt Designer is caught here instead of lost at the next run."""
import filecmp, os, subprocess, sys, tempfile

ui = sys.argv[1]
with tempfile.TemporaryDirectory() as out:
    for variant in ('hidpi', 'standard'):
        os.mkdir(os.path.join(out, variant))
    subprocess.run([sys.executable, os.path.join(ui, 'make_forms.py'), out], check=True,
                   stdout=subprocess.DEVNULL)
    stale = [v for v in ('hidpi', 'standard')
             if not filecmp.cmp(os.path.join(out, v, 'VantrelForm.ui'),
                                os.path.join(ui, v, 'VantrelForm.ui'), shallow=False)]
if stale:
    sys.exit('edited by hand or not regenerated: ' + ', '.join(
        f'ui/{v}/VantrelForm.ui' for v in stale) + ' (run ui/make_forms.py)')
print('forms match make_forms.py')
